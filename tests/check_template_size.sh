#!/bin/bash
# The template ships inside every packed application: each width stays at or
# under 512 KiB.
#   check_template_size.sh <template.exe>
set -euo pipefail
budget=524288
size=$(stat -c %s "$1")
echo "$(basename "$1"): $size bytes (budget $budget)"
[ "$size" -le "$budget" ] || { echo "FAIL: $((size - budget)) bytes over the budget"; exit 1; }
