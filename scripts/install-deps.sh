#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only those
# that are missing. Safe to run again.
#
# The shipped programs are 32-bit, so Wine needs wine32:i386. Where the kernel
# runs no 32-bit x86 code, qemu-user (version 10 or later, from the suite
# bookworm-backports) runs it, registered only inside the private namespace
# of scripts/run-i386.sh; wine32 is installed only once that is shown to work.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

packages=(
    cmake ninja-build g++ make python3          # the build
    mingw-w64                                   # the Windows cross compilers and windres
    googletest libgtest-dev                     # GoogleTest: sources for Windows, library for the host
    clang libclang-rt-dev                       # libFuzzer and the sanitizers for the fuzz targets
    llvm-14                                     # llvm-profdata and llvm-cov: the fuzz runs' line coverage
    wine wine64 xvfb xauth x11-apps imagemagick # running and driving the Windows programs
    fonts-wine                                  # Marlett: the title bars' close glyph
    locales                                     # ja_JP.UTF-8: Wine in code page 932
    fp-utils                                    # chmcmd, for the sample product's help file
    mscompress                                  # msexpand, the reference SZDD expander
    liblnk-utils python3-pefile                 # reading shortcuts and PE files from outside
    util-linux                                  # unshare, for the private binfmt_misc instance
    faketime fakeroot                           # the second build of the reproducibility check
    osslsigncode openssl                        # signing the medium, and its test
)

sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
updated=no
apt_update() {
    if [ $updated = no ]; then $sudo apt-get update -q; updated=yes; fi
}
missing_of() {
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
    done
}
install() {
    apt_update
    echo "install-deps: installing $*"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@"
}

mapfile -t missing < <(missing_of "${packages[@]}")
[ ${#missing[@]} -eq 0 ] || install "${missing[@]}"

# The version of qemu-i386 on the PATH as a number (10.0.2 -> 100002), or 0.
qemu_version() {
    local v
    v=$(qemu-i386 --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\.\([0-9]*\)\.\([0-9]*\).*/\1 \2 \3/p')
    [ -n "$v" ] || { echo 0; return; }
    set -- $v
    echo $(( $1 * 10000 + $2 * 100 + $3 ))
}

# Adds bookworm-backports with the URIs and key of the machine's own Debian
# source, pinned so that only qemu-user is ever taken from it.
enable_backports() {
    local list=/etc/apt/sources.list.d/brimwave-backports.sources
    local pin=/etc/apt/preferences.d/brimwave-backports
    if [ ! -f "$list" ]; then
        local source
        source=$(/usr/bin/python3 "$here/debian-source.py") || {
            echo "install-deps: found no Debian bookworm source in the apt sources to take bookworm-backports from" >&2
            exit 1
        }
        echo "install-deps: enabling bookworm-backports (${source%%$'\n'*}), pinned to qemu-user alone"
        {
            echo "Types: deb"
            echo "URIs: ${source%%$'\n'*}"
            echo "Suites: bookworm-backports"
            echo "Components: main"
            local key=${source#*$'\n'}
            [ -z "$key" ] || [ "$key" = "$source" ] || echo "Signed-By: $key"
        } | $sudo tee "$list" >/dev/null
    fi
    if [ ! -f "$pin" ]; then
        printf '%s\n' \
            "Package: qemu-user" "Pin: release n=bookworm-backports" "Pin-Priority: 500" "" \
            "Package: *" "Pin: release n=bookworm-backports" "Pin-Priority: -1" \
            | $sudo tee "$pin" >/dev/null
    fi
    updated=no
}

if [ "$("$here/test-arch.sh")" = x86_64 ]; then
    echo "install-deps: this kernel runs no 32-bit x86 code; 32-bit programs run under qemu-user"
    if [ "$(qemu_version)" -lt 100000 ]; then
        enable_backports
        install -t bookworm-backports qemu-user
    fi
    if [ "$(qemu_version)" -lt 100000 ]; then
        echo "install-deps: qemu-user 10 or later is needed; have: $(qemu-i386 --version 2>/dev/null | head -1)" >&2
        exit 1
    fi
    # qemu-user-binfmt would register qemu for the whole machine.
    if [ -n "$(missing_of qemu-user-binfmt)" ] && [ -z "$(ls /proc/sys/fs/binfmt_misc 2>/dev/null | grep -i qemu)" ]; then
        :
    else
        echo "install-deps: qemu is registered for the whole machine (qemu-user-binfmt); remove that first" >&2
        exit 1
    fi
    # Prove the private registration before wine32 makes Wine depend on it.
    "$here/run-i386.sh" --check
fi

if [ -n "$(missing_of wine32:i386)" ]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "install-deps: enabling the i386 architecture for 32-bit Wine"
        $sudo dpkg --add-architecture i386
        updated=no
    fi
    install wine32:i386
fi
[ "$updated" = yes ] || echo "install-deps: all packages present"

# Wine takes the ANSI code page from the locale: the tests of code page 932,
# whose characters can end in the byte of a backslash, need ja_JP.UTF-8.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
    echo "install-deps: generating the locale ja_JP.UTF-8"
    $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
