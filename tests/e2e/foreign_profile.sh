#!/usr/bin/env bash
# Runs a Windows test program while the user's Desktop, Start-menu programs
# and temporary folders lie under a profile named in Cyrillic letters, which
# code page 1252 cannot write, then puts them back. The Wine server reads
# them only at its start, so it is restarted each way. Runs inside a Wine
# session (scripts/wine-session.sh).
#   tests/e2e/foreign_profile.sh SAVED-FOLDER -- PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
saved=$1; shift
[ "${1:-}" = -- ] && shift
shell_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
environment='HKCU\Environment'
profile='C:\users\Дмитрий'
reg() { "$WINE" reg "$@" </dev/null >/dev/null 2>&1; }
# Drive Z: is the Unix root.
windows_path() { local path=$1; echo "Z:${path//\//\\}"; }
restart_server() {
    wineserver -k || true
    wineserver -w || true
    wineserver -p </dev/null >/dev/null 2>&1
    "$WINE" wineboot </dev/null >/dev/null 2>&1
}

mkdir -p "$saved"
reg export "$shell_folders" "$(windows_path "$saved/shell-folders.reg")" /y
reg export "$environment" "$(windows_path "$saved/environment.reg")" /y
put_back() {
    reg import "$(windows_path "$saved/shell-folders.reg")"
    reg import "$(windows_path "$saved/environment.reg")"
    restart_server
}
trap put_back EXIT

unix_profile=$WINEPREFIX/drive_c/users/Дмитрий
mkdir -p "$unix_profile/Desktop" "$unix_profile/Start Menu/Programs" "$unix_profile/Temp"
reg add "$shell_folders" /v Desktop /t REG_EXPAND_SZ /d "$profile\\Desktop" /f
reg add "$shell_folders" /v Programs /t REG_EXPAND_SZ /d "$profile\\Start Menu\\Programs" /f
reg add "$environment" /v TEMP /t REG_SZ /d "$profile\\Temp" /f
reg add "$environment" /v TMP /t REG_SZ /d "$profile\\Temp" /f
restart_server
"$WINE" "$@"
