#!/usr/bin/env bash
# Runs a command inside a fresh, isolated Wine prefix under a virtual
# display, then stops the Wine server it started. The programs are 32-bit;
# where the kernel runs no 32-bit code, everything runs inside the private
# qemu namespace of scripts/run-i386.sh.
#   scripts/wine-session.sh DIR [--display] -- COMMAND...
# DIR holds the prefix (DIR/prefix) and a scratch home (DIR/home): Wine links
# the prefix's Desktop and other user folders to $HOME, so the user's own home
# is never touched. Drive letters are mapped from WINE_DRIVES, a list of
# LETTER=PATH pairs (for example "d=build/medium e=build/test-medium").
# With --display an existing DISPLAY is used instead of Xvfb. WINE_ARCH
# chooses the prefix: win64 (the default; 32-bit programs meet WoW64, as on
# 64-bit Windows) or win32 (the layout of 32-bit Windows).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ -n "${BRIMWAVE_I386:-}" ] || exec "$here/run-i386.sh" -- "$0" "$@"

dir=$(realpath -m "$1"); shift
use_display=no
if [ "${1:-}" = --display ]; then use_display=yes; shift; fi
[ "${1:-}" = -- ] && shift

if [ "$use_display" = yes ] && [ -n "${DISPLAY:-}" ]; then
    :
elif [ -z "${WINE_SESSION_XVFB:-}" ]; then
    # Re-run ourselves under a private X server.
    export WINE_SESSION_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$dir" -- "$@"
fi

export WINEPREFIX="$dir/prefix" WINEDEBUG=-all
case "${WINE_ARCH:-win64}" in
win64)
    # The 64-bit loader itself, natively: Debian's "wine" starts the 32-bit
    # one first. It starts the 32-bit loader beside it for 32-bit programs.
    export WINEARCH=win64 WINE=/usr/lib/wine/wine64
    export WINELOADER=$WINE ;;
win32)
    export WINEARCH=win32 WINE=/usr/lib/wine/wine
    export WINELOADER=$WINE ;;
*)
    echo "wine-session: WINE_ARCH must be win64 or win32, not $WINE_ARCH" >&2
    exit 1 ;;
esac
echo "wine-session: $WINEARCH prefix; i686 programs run $BRIMWAVE_I386"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME="$dir/home"
rm -rf "$WINEPREFIX" "$HOME"
mkdir -p "$HOME"

stop_server() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; }
trap stop_server EXIT
# Interrupted or stopped: still stop the server this session started.
trap 'exit 130' INT TERM

started=$SECONDS
"$WINE" wineboot -i </dev/null >/dev/null 2>&1
# Without a window manager, managed windows make closing a dialog block.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# The first boot leaves services that stall later GUI starts: restart clean.
stop_server

for pair in ${WINE_DRIVES:-}; do
    letter=${pair%%=*}
    target=$(realpath -m "${pair#*=}")
    ln -sfn "$target" "$WINEPREFIX/dosdevices/$letter:"
done

# A persistent server and a booted session make each program start quick.
wineserver -p
"$WINE" wineboot </dev/null >/dev/null 2>&1
echo "wine-session: prefix ready in $((SECONDS - started)) s"

"$@"
