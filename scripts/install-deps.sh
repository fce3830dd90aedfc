#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only those
# that are missing. Safe to run again.
set -euo pipefail
here=$(dirname "$0")

packages=(
    cmake ninja-build g++ make python3          # the build
    mingw-w64                                   # the Windows cross compilers and windres
    googletest libgtest-dev                     # GoogleTest: sources for Windows, library for the host
    wine wine64 xvfb xauth x11-apps imagemagick # running and driving the Windows programs
    fp-utils                                    # chmcmd, for the sample product's help file
    mscompress                                  # msexpand, the reference SZDD expander
    liblnk-utils python3-pefile                 # reading shortcuts and PE files from outside
)
need_i386=no
if [ "$("$here/test-arch.sh")" = i686 ]; then
    packages+=(wine32:i386)
    need_i386=yes
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all packages present"
    exit 0
fi

sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "install-deps: installing ${missing[*]}"
if [ $need_i386 = yes ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "install-deps: enabling the i386 architecture for 32-bit Wine"
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
