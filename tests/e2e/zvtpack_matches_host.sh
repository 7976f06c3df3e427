#!/bin/bash
# zvtpack.exe (under Wine) and the host's zvtpack on the same files: the same
# packed executable, the same "show" text, the same fault report, byte for
# byte.
#
# zvtpack_matches_host.sh <wine> <zvtpack.exe> <host zvtpack> <zvtsvc.exe>
set -euo pipefail
wine=$1 winpack=$2 hostpack=$3 template=$4
if [ ! -x "$hostpack" ]; then
  echo "zvtpack_matches_host: no host zvtpack at $hostpack (build the host tree first)" >&2
  exit 1
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

printf 'included\n' >payload.txt
cat >svc.toml <<'TOML'
[service]
name = "Bestelldienst-Äö"
description = "Bestellungen für Kunden – 注文"
dependencies = ["Tcpip", "+NetGroup"]
[application]
main-class = "com.example.Main"
class-path = [{ scan = 'lib' }, { archive = 'app.jar', required = true }, { env = "EXTRA_CP" }]
[java]
search = [{ home = '.\jre', local = true }, { env = "JAVA_HOME" }, { registry = true }]
min-version = "1.8.0_201"
vm-options = "-Xmx256m"
[[java.version-options]]
major = [9, 21]
options = "--add-opens java.base/java.lang=ALL-UNNAMED"
[launcher]
kind = "service"
working-directory = 'C:\Program Files\Shop'
[splash.line1]
colour = [0, 128, 255]
[messages]
error-caption = "Fehler 日本 😀"
[localized.de_AT]
error-caption = "Fehler AT"
[[files]]
source = "payload.txt"
name = 'lib\payload.txt'
[keys]
10042 = { bytes = [0x41, 0x81] }
TOML
# The configuration names the width of the template under test.
case $(basename "$template") in
  zvtsvc64.exe) arch=x64 ;;
  *) arch=x86 ;;
esac
sed -i "s/^kind = \"service\"\$/&\narchitecture = \"$arch\"/" svc.toml
grep -q "^architecture = \"$arch\"\$" svc.toml || { echo "zvtpack_matches_host: svc.toml names no architecture" >&2; exit 1; }
cat >bad.toml <<'TOML'
[service]
nmae = "x"
name = "Bestell/dienst"
[application]
main-class = "com.example.Main"
[java]
min-version = "17-ea"
[localized.de-AT]
error-caption = "x"
TOML

# Runs one packer ("host" or "win") over the files; records outputs and exit codes.
run() {
  local tag=$1
  shift
  local rc
  "$@" pack "$template" svc.toml "out.$tag.exe" >"pack.$tag.out" 2>"pack.$tag.err" || { echo "pack failed ($tag)" >&2; cat "pack.$tag.err" >&2; return 1; }
  rm -rf files
  "$@" show --files files "out.$tag.exe" >"show.$tag.toml" 2>"show.$tag.err"
  rc=0
  "$@" pack "$template" bad.toml "bad.$tag.exe" >"bad.$tag.out" 2>"bad.$tag.err" || rc=$?
  echo "$rc" >"bad.$tag.rc"
  [ ! -e "bad.$tag.exe" ] || { echo "a failed pack wrote bad.$tag.exe" >&2; return 1; }
}

run host "$hostpack"
run win timeout 300 "$wine" "$winpack"

status=0
for f in out.%.exe pack.%.out show.%.toml show.%.err bad.%.out bad.%.err bad.%.rc; do
  host=${f/\%/host} win=${f/\%/win}
  case $f in
    pack.%.out) sed -i "s/out\.win\.exe/out.host.exe/" "$win" ;;
  esac
  if ! cmp -s "$host" "$win"; then
    echo "zvtpack_matches_host: $host and $win differ:" >&2
    diff -u "$host" "$win" | head -40 >&2 || true
    status=1
  fi
done
[ "$(cat bad.host.rc)" = 1 ] || { echo "the faulty configuration gave exit code $(cat bad.host.rc)" >&2; status=1; }
grep -q '^bad.toml:3:8: error: service.name' bad.host.err || { echo "no positioned fault report" >&2; status=1; }
[ "$status" = 0 ] && echo "zvtpack_matches_host: packed executable, show text and fault report are identical"
exit "$status"
