#!/bin/sh
# check_exports.sh <dll> <name>...: every name must be in the DLL's export
# table exactly as given (no leading underscore, no @N suffix).
dll=$1; shift
table=$(i686-w64-mingw32-objdump -p "$dll") || exit 1
for name in "$@"; do
  if ! printf '%s\n' "$table" | grep -Eq "^[[:space:]]*\[[[:space:]]*[0-9]+\][[:space:]]+(\+base\[[[:space:]]*[0-9]+\][[:space:]]+[0-9a-f]+[[:space:]]+)?$name\$"; then
    echo "check_exports: $dll does not export $name undecorated" >&2
    printf '%s\n' "$table" | sed -n '/Ordinal\/Name Pointer/,/^$/p' >&2
    exit 1
  fi
done
