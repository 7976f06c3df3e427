#!/bin/bash
# Runs the CTest suite of a Windows build tree under Wine: build/win64
# (x86_64 programs, Wine's 64-bit loader) or build/win (the shipped i686
# programs, Wine's 32-bit loader). Both trees use a 64-bit prefix of their
# own, so the i686 programs run as on 64-bit Windows (WoW64: HKLM\SOFTWARE
# seen through WOW6432Node, System32 redirected). The loader each tree's
# tests use comes from its toolchain file; the one here only creates the
# prefix and starts the session.
#
# Order matters: Xvfb first (Wine fixes the display when its session starts;
# a session begun without DISPLAY can never create windows), then a
# persistent wineserver (process starts drop from ~0.5 s to ~0.05 s), then
# one throw-away Wine command with all output to /dev/null (the first Wine
# command starts background services that inherit its stderr and would hold
# a pipe open forever), then CTest. Everything started here is stopped here.
set -euo pipefail

build=${1:?usage: run-wine.sh <windows build dir> [ctest args...]}
shift
build=$(cd "$build" && pwd)

for tool in /usr/lib/wine/wine64 /usr/lib/wine/wineserver64 Xvfb ctest; do
  command -v "$tool" >/dev/null || { echo "run-wine.sh: $tool is not installed" >&2; exit 1; }
done

export WINEPREFIX="$build/wineprefix"
# A 64-bit prefix for both trees (see above).
export WINEARCH=win64
export WINESERVER=/usr/lib/wine/wineserver64
WINE=/usr/lib/wine/wine64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

xvfb_pid=""
cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X$display" ] || { echo "run-wine.sh: Xvfb did not start" >&2; exit 1; }

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run-wine.sh: initialising Wine prefix $WINEPREFIX"
  timeout 600 "$WINE" wineboot -i >/dev/null 2>&1
  timeout 300 "$WINESERVER" -w
fi
"$WINESERVER" -p
# The session's background programs (the service manager among them) keep
# the standard error of the command that starts them: a file here, never a
# pipe. Services the manager starts write into it too, and with the
# eventlog channel on (errors and warnings), what a service reports to the event log (Wine keeps
# no event log) lands in it: tests read it through ZVT_WINE_SESSION_LOG.
export ZVT_WINE_SESSION_LOG="$build/wine-session.log"
: >"$ZVT_WINE_SESSION_LOG"
WINEDEBUG=-all,err+eventlog,warn+eventlog timeout 120 "$WINE" cmd /c exit >/dev/null 2>>"$ZVT_WINE_SESSION_LOG" </dev/null

cd "$build"
ctest --output-on-failure --timeout 900 "$@"
