#!/usr/bin/env bash
# Inside a Wine session without a display of the user's: starts SETUP.EXE
# from drive D:, saves a screenshot of what it shows, then ends it.
set -euo pipefail
medium=$1
work=$2
mkdir -p "$work/screenshots"
cd "$medium"
"$WINE" cmd /c 'D:\SETUP.EXE' &
pid=$!
sleep 3
import -window root "$work/screenshots/setup.png" && echo "walk-setup: screenshot $work/screenshots/setup.png"
wineserver -k || true
wait $pid || true
