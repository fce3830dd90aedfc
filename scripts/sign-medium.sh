#!/usr/bin/env bash
# Signs the medium's SETUP.EXE with Authenticode (SHA-256) into a copy of the
# medium, leaving the unsigned medium as it is:
#   SIGN_CERT=cert.pem SIGN_KEY=key.pem [SIGN_PASS_FILE=pass.txt]
#   [SIGN_TIMESTAMP_URL=http://tsa.example/] scripts/sign-medium.sh MEDIUM OUT
# SIGN_CERT holds the certificate chain (PEM or DER, or a PKCS#7 .spc file),
# SIGN_KEY the private key; SIGN_PASS_FILE the key's pass phrase, if it has
# one. With SIGN_TIMESTAMP_URL the signature gets an RFC 3161 time stamp.
set -euo pipefail
medium=$1
out=$2

fail() { echo "sign-medium: $*" >&2; exit 1; }
[ -n "${SIGN_CERT:-}" ] || fail "no certificate: set SIGN_CERT (and SIGN_KEY) to the signing certificate and key"
[ -n "${SIGN_KEY:-}" ] || fail "no private key: set SIGN_KEY to the key of $SIGN_CERT"
for file in "$SIGN_CERT" "$SIGN_KEY" ${SIGN_PASS_FILE:+"$SIGN_PASS_FILE"}; do
    [ -r "$file" ] || fail "cannot read $file"
done
[ -f "$medium/SETUP.EXE" ] || fail "no $medium/SETUP.EXE: build the medium first"

options=(-certs "$SIGN_CERT" -key "$SIGN_KEY" -h sha256 -n "Brimwave Setup")
[ -z "${SIGN_PASS_FILE:-}" ] || options+=(-readpass "$SIGN_PASS_FILE")
[ -z "${SIGN_TIMESTAMP_URL:-}" ] || options+=(-ts "$SIGN_TIMESTAMP_URL")

rm -rf "$out"
mkdir -p "$out"
for file in "$medium"/*; do
    [ "$(basename "$file")" = SETUP.EXE ] || cp -p "$file" "$out/"
done
osslsigncode sign "${options[@]}" -in "$medium/SETUP.EXE" -out "$out/SETUP.EXE" >/dev/null ||
    fail "osslsigncode could not sign $medium/SETUP.EXE"
echo "sign-medium: $out/SETUP.EXE signed by $(openssl x509 -in "$SIGN_CERT" -noout -subject 2>/dev/null || echo "$SIGN_CERT")"
