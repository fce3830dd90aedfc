#!/bin/bash
# Fuzzes the SZDD unpacker (and, through round trips, the packer) with
# libFuzzer under ASan/UBSan. A manual check, not part of the test run.
#   scripts/fuzz-szdd.sh [RUNS]      RUNS defaults to 10000000
set -euo pipefail

runs="${1:-10000000}"
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d /tmp/szdd-fuzz.XXXXXX)"
trap 'rm -rf "$work"' EXIT

clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root/tools/szdd" "$root/tools/szdd/fuzz_unpack.cpp" "$root/tools/szdd/szdd_codec.cpp" \
    -o "$work/fuzz_unpack"

# Seed corpus: a few packed files of different shapes. The packer is built
# here too so the seeds do not depend on a separate build.
clang++ -std=c++17 -O2 -I"$root/tools/szdd" "$root/tools/szdd/szdd_main.cpp" \
    "$root/tools/szdd/szdd_codec.cpp" -o "$work/szdd"
mkdir "$work/seeds" "$work/corpus"
printf '' > "$work/empty"
printf 'abcabcabcabc' > "$work/abc.txt"
printf '%*s' 300 '' > "$work/spaces"
head -c 600 /dev/zero > "$work/zeros"
head -c 3000 /usr/share/common-licenses/GPL-3 > "$work/text" 2>/dev/null || printf 'some text, some text' > "$work/text"
head -c 256 /dev/urandom > "$work/random"
for f in empty abc.txt spaces zeros text random; do
    "$work/szdd" pack "$work/$f" "$work/seeds/$f.sz"
done

echo "fuzzing $runs runs in $work"
cd "$work"
./fuzz_unpack -runs="$runs" -max_len=4096 -print_final_stats=1 corpus seeds 2>&1 | tail -n 25
