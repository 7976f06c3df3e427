#!/bin/bash
# Checks the export table of zvtsvc.exe: exactly the five window-border JNI
# functions, under the names the JVM looks up in the executable: stdcall
# decorated with a leading underscore in the 32-bit image, plain in the
# 64-bit one.
#   check_border_exports.sh <zvtsvc.exe> <pointer size: 4 or 8>
set -euo pipefail
exe="$1"
width="$2"
case "$width" in
  4) objdump=i686-w64-mingw32-objdump; format=pei-i386 ;;
  8) objdump=x86_64-w64-mingw32-objdump; format=pei-x86-64 ;;
  *) echo "FAIL: pointer size must be 4 or 8, not $width"; exit 1 ;;
esac
command -v "$objdump" >/dev/null || { echo "FAIL: $objdump not installed"; exit 1; }
dump=$("$objdump" -p "$exe")
grep -q "file format $format" <<<"$dump" || { echo "FAIL: $exe is not $format"; exit 1; }

prefix=Java_com_zentrovia_runtime_flatlaf_FlatWindowsNativeWindowBorder_
declare -a want=(
  "00024WndProc_installImpl 16"
  "00024WndProc_uninstallImpl 16"
  "00024WndProc_updateFrame 16"
  "00024WndProc_showWindow 20"
  "registryGetIntValue 20"
)
expected=()
for entry in "${want[@]}"; do
  read -r name bytes <<<"$entry"
  if [ "$width" = 4 ]; then expected+=("_${prefix}${name}@${bytes}"); else expected+=("${prefix}${name}"); fi
done

# Names of the export name table: lines "[   n] name" after its heading.
actual=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' <<<"$dump" | sort)
want_sorted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$want_sorted" ]; then
  echo "FAIL: exported names differ"
  echo "expected:"; echo "$want_sorted"
  echo "actual:"; echo "${actual:-(no export table)}"
  exit 1
fi
echo "exports: $(echo $actual)"
