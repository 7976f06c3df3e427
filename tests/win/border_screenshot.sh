#!/bin/bash
# Photographs a window with the native window border installed, next to one
# with its system caption, and keeps the picture as <artifacts>/border_window.png.
# Checks on the picture: the bordered window's client area (its dark title
# band) reaches its top edge, its left, right and bottom frame edges are
# drawn, and the other window shows a system caption.
#   border_screenshot.sh <wine> <zvt_border_tests.exe> <artifacts directory>
# Needs the X display and Wine session that tests/run-wine.sh starts.
set -euo pipefail
wine=$1
exe=$2
out=$3

fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in import convert; do
  command -v "$tool" >/dev/null || fail "$tool not installed (package imagemagick)"
done
[ -n "${DISPLAY:-}" ] || fail "no X display: run through tests/run-wine.sh"

mkdir -p "$out"
work="$out/border_screenshot"
rm -rf "$work"
mkdir -p "$work"
shot="$out/border_window.png"
rm -f "$shot"

# Wine draws the non-client area itself only for windows the (absent) window
# manager does not decorate; without this a screenshot shows client areas
# alone. Set for this program only, and removed afterwards.
# The key is a fixed one of the prefix: the CTest entry holds the lock of
# fixed registry keys, and a key that was there before comes back as it was.
key='HKCU\Software\Wine\AppDefaults\zvt_border_tests.exe\X11 Driver'
saved="$work/saved_key.reg"
saved_windows="Z:${saved//\//\\}"
had_key=0
if timeout 120 "$wine" reg query "$key" >/dev/null 2>&1; then
  timeout 120 "$wine" reg export "$key" "$saved_windows" >/dev/null 2>&1 || fail "cannot save $key"
  had_key=1
fi
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  timeout 120 "$wine" reg delete "$key" /f >/dev/null 2>&1 || true
  if [ "$had_key" = 1 ]; then
    timeout 120 "$wine" reg import "$saved_windows" >/dev/null 2>&1 || echo "border_screenshot: could not restore $key" >&2
  fi
}
trap cleanup EXIT
timeout 120 "$wine" reg add "$key" /v Decorated /d N /f >/dev/null 2>&1 || fail "cannot set $key"

windows_dir="Z:${work//\//\\}"
ZVT_BORDER_SHOT="$windows_dir" timeout 200 "$wine" "$exe" --gtest_filter=Shot_Border.* >"$work/program.log" 2>&1 &
pid=$!
for _ in $(seq 600); do
  [ -s "$work/geometry.txt" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$work/program.log"; fail "the window program ended early"; }
  sleep 0.1
done
[ -s "$work/geometry.txt" ] || { cat "$work/program.log"; fail "no windows after 60 s"; }
timeout 60 import -window root "$shot" || fail "import could not take the screenshot"
touch "$work/done"
status=0
wait "$pid" || status=$?
pid=""
cat "$work/program.log"
[ "$status" = 0 ] || fail "the window program failed ($status)"
[ -s "$shot" ] || fail "no screenshot"
echo "screenshot: $shot"

# r,g,b of one pixel of the screenshot.
pixel() {
  convert "$shot" -format "%[fx:int(255*p{$1,$2}.r+0.5)],%[fx:int(255*p{$1,$2}.g+0.5)],%[fx:int(255*p{$1,$2}.b+0.5)]" info:
}
body="0,128,128"
band="40,40,40"

read -r _ pl pt pr pb pcl pct pcr pcb < <(grep '^plain ' "$work/geometry.txt")
read -r _ bl bt br bb bcl bct bcr bcb < <(grep '^border ' "$work/geometry.txt")
echo "plain window $pl,$pt-$pr,$pb client $pcl,$pct-$pcr,$pcb"
echo "bordered window $bl,$bt-$br,$bb client $bcl,$bct-$bcr,$bcb"
errors=0
check() { # description, condition result
  if [ "$2" = yes ]; then echo "ok: $1"; else echo "FAIL: $1"; errors=$((errors + 1)); fi
}
is() { [ "$1" = "$2" ] && echo yes || echo no; }
# Neither the window's own colours nor the bare screen (black).
drawn() { [ "$1" != "$body" ] && [ "$1" != "$band" ] && [ "$1" != "0,0,0" ] && echo yes || echo no; }

# description, x, y, wanted colour ("drawn": a frame or caption colour)
at() {
  local p
  p=$(pixel "$2" "$3")
  if [ "$4" = drawn ]; then check "$1 ($p)" "$(drawn "$p")"; else check "$1 ($p)" "$(is "$p" "$4")"; fi
}
mid=$(((bl + br) / 2))
midy=$(((bt + bb) / 2))
check "bordered window: client area starts at the window's top edge" "$(is "$bct" "$bt")"
at "bordered window: title band at its top edge" "$mid" $((bt + 2)) "$band"
at "bordered window: body below the band" "$mid" $((bt + 60)) "$body"
at "bordered window: left frame edge" $((bl + 1)) "$midy" drawn
at "bordered window: right frame edge" $((br - 2)) "$midy" drawn
at "bordered window: bottom frame edge" "$mid" $((bb - 2)) drawn
pmid=$(((pl + pr) / 2))
check "plain window: client area below a caption" "$([ "$pct" -gt $((pt + 10)) ] && echo yes || echo no)"
at "plain window: caption drawn" "$pmid" $(((pt + pct) / 2)) drawn
at "plain window: body" "$pmid" $((pct + 60)) "$body"
[ "$errors" = 0 ] || fail "$errors check(s) of the screenshot failed"
