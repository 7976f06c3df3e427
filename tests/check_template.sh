#!/bin/bash
# Checks a launcher template image: PE32 i386 (zvtsvc.exe) or PE32+ x86-64
# (zvtsvc64.exe), console subsystem, stripped, importing at process start
# only kernel32 and the C runtime (no C++ runtime DLLs, and no other system
# DLL: those are delay-loaded by the starts that call them, and objdump's
# import table does not list them).
#   check_template.sh <template.exe> <pointer size: 4 or 8>
set -euo pipefail
exe="$1"
width="$2"
case "$width" in
  4) objdump=i686-w64-mingw32-objdump; format=pei-i386; name=zvtsvc.exe ;;
  8) objdump=x86_64-w64-mingw32-objdump; format=pei-x86-64; name=zvtsvc64.exe ;;
  *) echo "FAIL: pointer size must be 4 or 8, not $width"; exit 1 ;;
esac
command -v "$objdump" >/dev/null || { echo "FAIL: $objdump not installed"; exit 1; }
dump=$("$objdump" -p "$exe")
fail=0
[ "$(basename "$exe")" = "$name" ] || { echo "FAIL: the $((width * 8))-bit template is named $(basename "$exe"), not $name"; fail=1; }
grep -q "file format $format" <<<"$dump" || { echo "FAIL: not a $format image"; fail=1; }
grep -Eq "^Subsystem[[:space:]]+0+3[[:space:]]" <<<"$dump" || { echo "FAIL: not a console subsystem image"; fail=1; }
# Stripped: no COFF symbol table left.
if "$objdump" -t "$exe" 2>/dev/null | grep -q "\.text"; then echo "FAIL: symbol table present (not stripped)"; fail=1; fi
# Every start loads what the import table names before the launcher runs a
# line: user32 alone costs a usage line more than the rest of it.
at_start='^(kernel32|msvcrt)\.dll$'
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "FAIL: no import table found"; fail=1; }
for d in $dlls; do
  if ! grep -Eq "$at_start" <<<"$d"; then echo "FAIL: imports $d at process start (link zvt_system_dlls)"; fail=1; fi
done
echo "imports: $(echo $dlls)"
exit $fail
