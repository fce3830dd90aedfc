#!/bin/bash
# Compares the szdd packer with Debian's mscompress, size and wall time, in
# one run, on the given files plus eight of Wine's i386 PE files. Every
# packed file is checked to expand back byte-exact with szdd and msexpand.
#   scripts/bench-szdd.sh [FILE...]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"

for tool in mscompress msexpand; do
    command -v "$tool" >/dev/null || { echo "bench-szdd: $tool is not installed" >&2; exit 1; }
done

# The i386-windows folder ships in libwine:i386 (wine32 depends on it).
wine_names="comctl32.dll kernel32.dll lz32.dll notepad.exe ole32.dll regedit.exe shell32.dll user32.dll"
wine_list="$(dpkg -L libwine:i386 wine32 2>/dev/null | grep '/i386-windows/' || true)"
files=("$@")
extra=$#
for name in $wine_names; do
    path="$(grep "/i386-windows/$name\$" <<<"$wine_list" | head -n 1 || true)"
    [ -n "$path" ] || { echo "bench-szdd: $name not found in wine32's i386-windows folder" >&2; exit 1; }
    files+=("$path")
done

work="$(mktemp -d /tmp/szdd-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT

# The packer optimised and without the sanitizers, as the tools tree builds
# it (build/tools/tools/szdd), built here so that no build tree is needed.
szdd="$work/szdd"
g++ -std=c++17 -O2 -DNDEBUG -I"$root/tools/szdd" "$root/tools/szdd/szdd_main.cpp" \
    "$root/tools/szdd/szdd_codec.cpp" -o "$szdd"

now_ns() { date +%s%N; }
seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }

row() {  # name input ms_size our_size ms_ns our_ns
    printf '%-14s %10d %11d %11d %8.4f %9s %9s\n' "$1" "$2" "$3" "$4" \
        "$(awk -v a="$4" -v b="$3" 'BEGIN { print a / b }')" "$(seconds "$5")" "$(seconds "$6")"
}

printf '%-14s %10s %11s %11s %8s %9s %9s\n' name input mscompress szdd ratio ms_time our_time
total_in=0 total_ms=0 total_ours=0 total_ms_ns=0 total_ours_ns=0 worse=0
index=0
for src in "${files[@]}"; do
    index=$((index + 1))
    if [ "$index" -eq $((extra + 1)) ] && [ "$extra" -gt 0 ]; then
        row "given files" "$total_in" "$total_ms" "$total_ours" "$total_ms_ns" "$total_ours_ns"
        total_in=0 total_ms=0 total_ours=0 total_ms_ns=0 total_ours_ns=0
    fi
    name="$(basename "$src")"
    dir="$work/$name.d"
    mkdir -p "$dir"
    cp "$src" "$dir/$name"

    # mscompress writes NAME_ beside its input.
    t0=$(now_ns); mscompress "$dir/$name" >/dev/null; t1=$(now_ns)
    "$szdd" pack "$dir/$name" "$dir/ours.sz"; t2=$(now_ns)

    "$szdd" unpack "$dir/ours.sz" "$dir/ours.back"
    msexpand <"$dir/ours.sz" >"$dir/ours.msexpand"
    for back in ours.back ours.msexpand; do
        cmp -s "$dir/$name" "$dir/$back" || { echo "bench-szdd: $name: $back differs from the input" >&2; exit 1; }
    done

    in_size=$(stat -c %s "$dir/$name")
    ms_size=$(stat -c %s "$dir/${name}_")
    our_size=$(stat -c %s "$dir/ours.sz")
    [ "$our_size" -le "$ms_size" ] || worse=$((worse + 1))
    row "$name" "$in_size" "$ms_size" "$our_size" $((t1 - t0)) $((t2 - t1))
    total_in=$((total_in + in_size)); total_ms=$((total_ms + ms_size)); total_ours=$((total_ours + our_size))
    total_ms_ns=$((total_ms_ns + t1 - t0)); total_ours_ns=$((total_ours_ns + t2 - t1))
    rm -rf "$dir"
done
row "wine total" "$total_in" "$total_ms" "$total_ours" "$total_ms_ns" "$total_ours_ns"
echo "wine files, time ours/mscompress: $(awk -v a="$total_ours_ns" -v b="$total_ms_ns" 'BEGIN { printf "%.4f", a / b }')"
echo "files larger than mscompress's: $worse"
echo "all packed files expand byte-exact with szdd unpack and msexpand"
