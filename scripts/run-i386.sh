#!/usr/bin/env bash
# Runs a command where 32-bit x86 programs, and so 32-bit Wine, can execute.
#   scripts/run-i386.sh [--check] [--] COMMAND...
# Where the kernel runs them, the command runs as it is. Where it does not,
# it runs in a new user and mount namespace with a binfmt_misc instance of
# its own, in which qemu-i386 is registered: the rest of the machine sees no
# registration. BRIMWAVE_I386 tells the command which way was taken.
# --check proves the way works and says which it is, without a command.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

die() { echo "run-i386: $*" >&2; exit 1; }

if [ "${1:-}" = --inside ]; then
    # In the namespace: register qemu-i386 for i386 ELF executables. The F
    # flag opens the interpreter now, so later mounts cannot change it.
    qemu=$2; shift 2
    [ "${1:-}" = -- ] && shift
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null ||
        die "cannot mount a private binfmt_misc instance (Linux 6.7 or later needed; this is $(uname -r))"
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf ':qemu-i386:M::%s:%s:%s:F' "$magic" "$mask" "$qemu" >/proc/sys/fs/binfmt_misc/register ||
        die "cannot register $qemu in the private binfmt_misc instance"
    [ "$("$here/test-arch.sh")" = i686 ] || die "32-bit programs still do not run under $qemu"
    exec "$@"
fi

check=no
if [ "${1:-}" = --check ]; then check=yes; shift; fi
[ "${1:-}" = -- ] && shift

# Already inside (a script that calls another): nothing more to do.
if [ -n "${BRIMWAVE_I386:-}" ] && [ $check = no ]; then exec "$@"; fi

# The probe runs out here: inside the namespace qemu makes it succeed.
if [ "$("$here/test-arch.sh")" = i686 ]; then
    export BRIMWAVE_I386="natively"
    if [ $check = yes ]; then echo "run-i386: i686 programs run $BRIMWAVE_I386"; exit 0; fi
    exec "$@"
fi

qemu=$(command -v qemu-i386) ||
    die "this kernel runs no 32-bit x86 code and qemu-i386 is missing (qemu-user 10 or later: scripts/install-deps.sh)"
version=$("$qemu" --version | sed -n 's/^qemu-i386 version \([0-9][0-9.]*\).*/\1/p')
[ "${version%%.*}" -ge 10 ] 2>/dev/null ||
    die "qemu-user $version is too slow for Wine; version 10 or later is needed (scripts/install-deps.sh)"
command -v unshare >/dev/null || die "unshare (util-linux) is missing"
export BRIMWAVE_I386="emulated by qemu-user $version (private binfmt_misc namespace)"
if [ $check = yes ]; then
    unshare --user --map-root-user --mount -- "$0" --inside "$qemu" -- true ||
        die "cannot run 32-bit programs through a private qemu-i386 registration"
    echo "run-i386: i686 programs run $BRIMWAVE_I386"
    exit 0
fi
exec unshare --user --map-root-user --mount -- "$0" --inside "$qemu" -- "$@"
