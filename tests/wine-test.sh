#!/bin/bash
# CTest's emulator for the Windows test programs: runs one under Wine
# (wine-test.sh <wine loader> <program> [args...]) with its output going to
# a file that is streamed to CTest, and ends when the program ends.
#
# Why not give the program CTest's pipe directly: Wine starts helper
# processes on the program's behalf (conhost.exe for each console child,
# explorer.exe for the desktop) that inherit its Unix standard error and may
# outlive it, sometimes for good. CTest waits for the end of its pipe, not
# for the program, so one such helper held a finished test until its
# timeout. Here a helper can only hold the file.
set -u
out=$(mktemp "${TMPDIR:-/tmp}/zvt-wine-test.XXXXXX") || exit 125
"$@" >"$out" 2>&1 &
program=$!
# Streams the file while the program runs, and what is left once it ended.
tail -n +1 -s 0.1 -f --pid="$program" "$out"
wait "$program"
status=$?
rm -f "$out"
exit "$status"
