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
#
# A run counts only when the program shows that it ran: a 32-bit program
# handed to a loader that cannot run it (wine64 in a prefix without Wine's
# 32-bit side, or a kernel without 32-bit support) can end with exit code 0
# having run nothing, and so can a gtest filter that matches no test. The
# output must hold a line matching ZVT_RAN_PROOF, by default gtest's summary
# of at least one test.
set -u
proof=${ZVT_RAN_PROOF:-'^\[==========\] [1-9][0-9]* tests? from [0-9]+ test suites? ran\.'}
out=$(mktemp "${TMPDIR:-/tmp}/zvt-wine-test.XXXXXX") || exit 125
"$@" >"$out" 2>&1 &
program=$!
# Streams the file while the program runs, and what is left once it ended.
tail -n +1 -s 0.1 -f --pid="$program" "$out"
wait "$program"
status=$?
if [ "$status" = 0 ] && ! grep -Eq "$proof" "$out"; then
  echo "wine-test.sh: $2 ended with exit code 0 but printed no proof that it ran" \
       "(no line matches '$proof'); the loader $1 may not be able to run it" >&2
  status=1
fi
rm -f "$out"
exit "$status"
