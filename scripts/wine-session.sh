#!/usr/bin/env bash
# Runs a command inside a fresh, isolated Wine prefix, then stops the Wine
# server it started.
#   scripts/wine-session.sh DIR -- COMMAND...
# DIR holds the prefix (DIR/prefix) and a scratch home (DIR/home): Wine links
# the prefix's Desktop and other user folders to $HOME, so the user's own home
# is never touched. Drive letters are mapped from WINE_DRIVES, a list of
# LETTER=PATH pairs (for example "d=build/medium e=build/test-medium").
# WINE_ARCH chooses the prefix: win64 (the default; 32-bit programs meet
# WoW64, as on 64-bit Windows) or win32 (the layout of 32-bit Windows).
# The caller provides where 32-bit programs run and a display, for example
#   scripts/run-i386.sh -- xvfb-run -a -s "-screen 0 1024x768x24" \
#       scripts/wine-session.sh DIR -- COMMAND...
set -euo pipefail

die() { echo "wine-session: $*" >&2; exit 1; }
[ -n "${BRIMWAVE_I386:-}" ] || die "32-bit programs may not run here: start me through scripts/run-i386.sh"
[ -n "${DISPLAY:-}" ] || die "no display: start me under xvfb-run or on a desktop"

dir=$(realpath -m "$1"); shift
[ "${1:-}" = -- ] && shift

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
    die "WINE_ARCH must be win64 or win32, not $WINE_ARCH" ;;
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
# Title bars draw their buttons with Marlett (package fonts-wine). Wine looks
# for it in its data folder by a path with ".." in it, which it cannot open
# as a Windows path, so the font is put where Windows keeps its own.
marlett=/usr/share/wine/fonts/marlett.ttf
[ -f "$marlett" ] && ln -sf "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
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
