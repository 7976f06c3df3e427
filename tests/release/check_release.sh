#!/bin/bash
# The release archive as a user gets it: unpacked into an empty directory,
# its files and their versions checked, then the demo configuration packed
# with the folder's own zvtpack (which takes the template beside it) and the
# packed 64-bit launcher run under Wine with a stand-in Java runtime: in the
# foreground, then as a service through the README's steps (install, start,
# status, stop, uninstall).
#
# check_release.sh <dist dir> <version> <wine64> <version_info.exe> <stand-in bin dir>
# (run by CTest under tests/run-wine.sh, which sets up the Wine session)
set -euo pipefail
dist=$1 version=$2 wine=$3 version_info=$4 standin=$5
here=$(cd "$(dirname "$0")" && pwd)

# fail <message> [<file whose text follows the message>]
fail() {
  echo "release_folder: FAIL: $1" >&2
  [ -z "${2:-}" ] || cat "$2" >&2
  exit 1
}
# A Unix path as the Windows side names it (Wine's Z: drive).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

name=zvt-$version
for archive in "$dist/$name.tar.gz" "$dist/$name.zip"; do
  [ -f "$archive" ] || fail "no release archive $archive: run ./x dist first"
done
: "${WINEPREFIX:?run this through tests/run-wine.sh, which sets up the Wine session}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/unpacked"
tar -xzf "$dist/$name.tar.gz" -C "$work/unpacked"
[ "$(ls -A "$work/unpacked")" = "$name" ] || fail "the archive holds more than the folder $name: $(ls -A "$work/unpacked")"
folder=$work/unpacked/$name

echo "== the files a user needs"
for f in README.md LICENSE VERSION zvtpack zvtpack.exe zvtsvc.exe zvtsvc64.exe zvtruntime.jar \
         docs/configuration.md docs/development.md demo/myservice.toml; do
  [ -s "$folder/$f" ] || fail "$f is missing from the release folder"
done
[ -x "$folder/zvtpack" ] || fail "zvtpack is not executable"
# The zip archive (for Windows users) holds the same files.
diff <(tar -tzf "$dist/$name.tar.gz" | grep -v '/$' | sort) \
     <(cd "$work" && cmake -E tar tf "$dist/$name.zip" | grep -v '/$' | sort) >"$work/zip.diff" ||
  fail "the zip archive differs from the tar.gz archive" "$work/zip.diff"
# The shipped packer is the release build, not the test build.
! grep -qa -e __asan_init -e __ubsan_handle "$folder/zvtpack" || fail "zvtpack is built with sanitizers"

echo "== one version everywhere: $version"
[ "$(cat "$folder/VERSION")" = "$version" ] || fail "VERSION says \"$(cat "$folder/VERSION")\""
[ "$("$folder/zvtpack" --version)" = "zvtpack $version" ] || fail "zvtpack --version says \"$("$folder/zvtpack" --version)\""
for exe in zvtsvc.exe zvtsvc64.exe zvtpack.exe; do
  "$wine" "$version_info" "$(winpath "$folder/$exe")" >"$work/version.crlf" 2>&1 </dev/null ||
    fail "$exe: no version resource read" "$work/version.crlf"
  tr -d '\r' <"$work/version.crlf" >"$work/version.txt"
  for line in "file-version $version.0" "product-version $version.0" "FileVersion $version" \
              "ProductVersion $version" "OriginalFilename $exe"; do
    grep -qxF "$line" "$work/version.txt" || fail "$exe: no \"$line\" in its version resource" "$work/version.txt"
  done
done

echo "== packing the demo with the folder's zvtpack (64-bit template, taken from beside zvtpack)"
app=$work/app
mkdir -p "$app/app" "$app/lib"
# The user's edit for a 64-bit Java: the launcher's architecture.
sed 's/^kind = "service".*$/&\narchitecture = "x64"/' "$folder/demo/myservice.toml" >"$app/myservice.toml"
grep -q '^architecture = "x64"$' "$app/myservice.toml" || fail "the demo configuration has no kind line to add the architecture to"
"$folder/zvtpack" pack "$app/myservice.toml" "$app/myservice.exe" || fail "zvtpack pack failed"
printf 'PK stand-in\n' >"$app/app/demo.jar"
"$here/../standin-jre/lay-out.sh" "$standin" "$app/jre"
exe=$(winpath "$app/myservice.exe")

# Runs the packed launcher; its output in $work/out.txt, its exit code echoed.
launcher() {
  local code=0
  (cd "$app" && timeout 120 "$wine" "$exe" "$@") >"$work/out.txt" 2>&1 </dev/null || code=$?
  echo "$code"
}

echo "== myservice.exe /run: the application's main class is called"
code=$(launcher /run)
[ "$code" = 0 ] || fail "/run ended with exit code $code" "$work/out.txt"
grep -q '"method":"main"' "$app/jre/standin/trace.jsonl" || fail "/run called no main; the stand-in's trace:" "$app/jre/standin/trace.jsonl"
grep -q 'com.example.demo.Main' "$app/jre/standin/trace.jsonl" || fail "main was not given the demo's main class"

echo "== the README's service steps: /install, /start, /status, /stop, /uninstall"
# The service's application waits for the stop request on standard input.
printf -- '-Dstandin.app=waitStdin\n' >"$app/myservice.vmoptions"
service=ZvtReleaseCheck$$
expect() {  # expect <exit code> <switch>: runs the switch on the service
  local want=$1 switch=$2 code
  code=$(launcher "$switch" "$service")
  cp "$work/out.txt" "$work/$switch.txt"
  [ "$code" = "$want" ] || { echo "$switch ended with exit code $code ($want expected):" >"$work/failed.txt"; cat "$work/out.txt" >>"$work/failed.txt"; return 1; }
}
# The service child calls main a moment after /start has returned.
applicationStarted() {
  for _ in $(seq 100); do
    grep -q '"method":"main"' "$app/jre/standin/trace.jsonl" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "the service's application never started (no call of main in the stand-in's trace)" >"$work/failed.txt"
  return 1
}
rm "$app/jre/standin/trace.jsonl"
if expect 0 /install; then
  ok=true
  expect 0 /start && applicationStarted && expect 0 /status && expect 0 /stop && expect 3 /status || ok=false
  # Removed whatever happened before, so no test service stays behind.
  launcher /stop "$service" >/dev/null
  expect 0 /uninstall || ok=false
  $ok || fail "a service step failed:" "$work/failed.txt"
else
  fail "/install failed:" "$work/failed.txt"
fi
echo "release_folder: the release folder packs the demo and runs it in the foreground and as a service"
