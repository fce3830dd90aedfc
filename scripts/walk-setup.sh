#!/usr/bin/env bash
# Inside a Wine session without the user's display: walks the default
# installation of D:\SETUP.EXE, saves a screenshot of every window as PNG in
# WORK_DIR/screenshots and prints what was installed where.
#   scripts/walk-setup.sh WALKER_EXE WORK_DIR
set -euo pipefail
walker=$1
work=$2
shots="$work/screenshots"
rm -rf "$shots"
mkdir -p "$shots"
"$WINE" "$walker" "Z:$shots" 2>/dev/null | tr -d '\r'
for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "Screenshots: $shots"
ls "$shots"
