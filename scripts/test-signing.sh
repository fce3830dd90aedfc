#!/usr/bin/env bash
# Tests the signing of the medium without any secret: a throw-away
# self-signed certificate signs, the signature verifies, one changed byte that
# it covers makes verification fail, and signing without a certificate is
# refused. Then one default installation runs from the signed medium.
#   scripts/test-signing.sh MEDIUM WORK_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
medium=$(realpath "$1")
work=$(realpath -m "$2")
rm -rf "$work"
mkdir -p "$work"
passed=0
failed=0
check() { # NAME COMMAND...: the command must succeed
    if "${@:2}" >"$work/last.log" 2>&1; then
        echo "test-signing: $1: ok"; passed=$((passed + 1))
    else
        echo "test-signing: $1: FAILED"; sed 's/^/    /' "$work/last.log"; failed=$((failed + 1))
    fi
}
refused() { ! "$@"; }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Brimwave Test Signing" \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null

check "signing without a certificate is refused" refused env -u SIGN_CERT -u SIGN_KEY \
    "$root/scripts/sign-medium.sh" "$medium" "$work/unsigned"
check "signing" env SIGN_CERT="$work/cert.pem" SIGN_KEY="$work/key.pem" \
    "$root/scripts/sign-medium.sh" "$medium" "$work/medium-signed"
check "the unsigned medium is left as it was" refused \
    osslsigncode verify -CAfile "$work/cert.pem" -in "$medium/SETUP.EXE"
check "the signature verifies" \
    osslsigncode verify -CAfile "$work/cert.pem" -in "$work/medium-signed/SETUP.EXE"

# One byte in the middle of the resources (the banner), which the digest covers.
cp "$work/medium-signed/SETUP.EXE" "$work/tampered.exe"
/usr/bin/python3 -c "import pefile, sys
pe = pefile.PE(sys.argv[1], fast_load=True)
s = [s for s in pe.sections if s.Name.rstrip(b'\0') == b'.rsrc'][0]
at = s.PointerToRawData + s.SizeOfRawData // 2
data = bytearray(pe.__data__)
data[at] ^= 0xFF
open(sys.argv[1], 'wb').write(data)" "$work/tampered.exe"
check "the changed copy differs from the signed file" refused \
    cmp -s "$work/tampered.exe" "$work/medium-signed/SETUP.EXE"
check "a changed resource byte fails verification" refused \
    osslsigncode verify -CAfile "$work/cert.pem" -in "$work/tampered.exe"

# The signed program installs as the unsigned one does.
check "a default installation from the signed medium" env WINE_ARCH=win64 \
    WINE_DRIVES="d=$work/medium-signed" SHIPPED_SETUP="Z:$work/medium-signed/SETUP.EXE" \
    "$root/scripts/run-i386.sh" -- xvfb-run -a -s "-screen 0 1024x768x24" \
    "$root/scripts/wine-session.sh" "$work/wine" -- \
    bash -c "cd '$root/build/win32' && ctest --output-on-failure -R '^Install.FreshInstallWithTheDefaults$'"
echo "signing: $passed passed, $failed failed"
[ $failed -eq 0 ]
