#!/bin/bash
# Checks the launcher template image: PE32 (i386), console subsystem,
# stripped, and importing only Windows system DLLs (no C++ runtime DLLs).
set -euo pipefail
exe="$1"
objdump=i686-w64-mingw32-objdump
command -v "$objdump" >/dev/null || { echo "FAIL: $objdump not installed"; exit 1; }
dump=$("$objdump" -p "$exe")
fail=0
grep -q "file format pei-i386" <<<"$dump" || { echo "FAIL: not a PE32 i386 image"; fail=1; }
grep -Eq "^Subsystem[[:space:]]+0+3[[:space:]]" <<<"$dump" || { echo "FAIL: not a console subsystem image"; fail=1; }
# Stripped: no COFF symbol table left.
if "$objdump" -t "$exe" 2>/dev/null | grep -q "\.text"; then echo "FAIL: symbol table present (not stripped)"; fail=1; fi
allowed='^(kernel32|user32|advapi32|shell32|msvcrt|ws2_32|ole32|oleaut32|gdi32)\.dll$'
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "FAIL: no import table found"; fail=1; }
for d in $dlls; do
  if ! grep -Eq "$allowed" <<<"$d"; then echo "FAIL: imports non-system DLL $d"; fail=1; fi
done
echo "imports: $(echo $dlls)"
exit $fail
