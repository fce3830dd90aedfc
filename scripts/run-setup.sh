#!/usr/bin/env bash
# Starts D:\SETUP.EXE from a medium folder under Wine, in a scratch prefix.
#   scripts/run-setup.sh MEDIUM_DIR WORK_DIR
# On a desktop (DISPLAY set) the person installs interactively. Without one
# it runs under Xvfb, shows what the program displays as screenshots in
# WORK_DIR/screenshots, and closes it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
medium=$(realpath "$1")
work=$(realpath -m "$2")

# A 64-bit prefix, as on the 64-bit Windows most users have.
export WINE_ARCH=win64 WINE_DRIVES="d=$medium"

if [ -n "${DISPLAY:-}" ]; then
    echo "run-setup: starting D:\\SETUP.EXE on $DISPLAY (prefix in $work)"
    exec "$root/scripts/run-i386.sh" -- "$root/scripts/wine-session.sh" "$work" -- \
        bash -c 'cd "$0" && "$WINE" cmd /c "D:\\SETUP.EXE"' "$medium"
fi

echo "run-setup: no display; walking the default installation under Xvfb (prefix in $work)"
make -C "$root" --no-print-directory test-build >/dev/null
walker="$root/build/win32/tests/e2e/walk_setup.exe"
exec "$root/scripts/run-i386.sh" -- xvfb-run -a -s "-screen 0 1024x768x24" \
    "$root/scripts/wine-session.sh" "$work" -- "$root/scripts/walk-setup.sh" "$walker" "$work"
