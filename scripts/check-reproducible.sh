#!/usr/bin/env bash
# Builds the medium a second time from a copy of this tree in another folder,
# two days later by the clock, in another time zone and under fakeroot (as a
# Debian package build runs; both preload a library), and compares the
# shipped files (and the product files the payload carries) with this tree's
# build byte for byte. Names the first file and offset that differ.
#   scripts/check-reproducible.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
copy=$root/build/reproducible/Brimwave-copy
files=(build/medium/SETUP.EXE build/medium/bladeenc.exe
       build/win32/product/Brimwave.exe build/win32/product/Brimwave.chm)

rm -rf "$copy"
mkdir -p "$copy"
# The working tree as it is, with its history (the dates come from the commit).
tar -C "$root" --exclude=./build -cf - . | tar -C "$copy" -xf -
echo "check-reproducible: building again in $copy, clock +2 days, TZ=Pacific/Kiritimati, under fakeroot"
# Without ASAN_OPTIONS, whatever the caller's: no program the build runs may
# need telling to accept the preloaded libraries.
env -u ASAN_OPTIONS TZ=Pacific/Kiritimati fakeroot faketime -f '+2d' \
    make -C "$copy" --no-print-directory medium \
    >"$copy.log" 2>&1 || { tail -20 "$copy.log"; echo "check-reproducible: the second build failed" >&2; exit 1; }

status=0
for file in "${files[@]}"; do
    if difference=$(cmp "$root/$file" "$copy/$file" 2>&1); then
        echo "check-reproducible: $file identical ($(stat -c %s "$root/$file") bytes)"
    else
        count=$(cmp -l "$root/$file" "$copy/$file" 2>/dev/null | wc -l)
        echo "check-reproducible: $file differs: ${difference#*: }; $count bytes differ" >&2
        status=1
    fi
done
exit $status
