#!/bin/bash
# Runs the libFuzzer targets of a fuzz tree one after another, each for RUNS
# inputs from its checked-in seeds (tests/fuzz/seeds/<target>/) and what it
# finds on the way, and prints a table. Fails when a target found a fault;
# the input that shows it is kept in the tree's folder findings/.
#   scripts/fuzz.sh --build DIR [--runs RUNS] [TARGET...]
# DIR holds the fuzz_<target> programs (build/fuzz/tests/fuzz); RUNS
# defaults to 10000000; without targets, every one in DIR runs.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build= runs=10000000
while [ $# -gt 0 ]; do
    case "$1" in
    --build) build="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    *) break ;;
    esac
done
[ -n "$build" ] || { echo "usage: $0 --build DIR [--runs RUNS] [TARGET...]" >&2; exit 2; }
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for program in "$build"/fuzz_*; do
        [ -x "$program" ] && [ -f "$program" ] && targets+=("${program##*/fuzz_}")
    done
fi
[ ${#targets[@]} -gt 0 ] || { echo "fuzz: no fuzz_<target> programs in $build" >&2; exit 2; }

work="$(mktemp -d /tmp/brimwave-fuzz.XXXXXX)"
trap 'rm -rf "$work"' EXIT
findings_dir="$build/findings"

row() { printf '%-26s %12s %9s %9s  %s\n' "$@"; }
row target inputs coverage time result
total_inputs=0 findings=0
for target in "${targets[@]}"; do
    seeds="$root/tests/fuzz/seeds/$target"
    [ -d "$seeds" ] || { echo "fuzz: no seeds in $seeds" >&2; exit 2; }
    # New inputs go to a scratch corpus, never into the checked-in seeds.
    mkdir -p "$work/$target" "$findings_dir"
    max_len=1024
    [ "$target" != szdd_unpack ] || max_len=4096
    log="$work/$target.log"
    start=$(date +%s%N)
    result=ok
    "$build/fuzz_$target" -runs="$runs" -max_len="$max_len" -print_final_stats=1 \
        -artifact_prefix="$findings_dir/$target-" "$work/$target" "$seeds" >"$log" 2>&1 ||
        result=FINDING
    elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
    inputs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    [ -n "$inputs" ] || inputs=$(grep -o '^#[0-9]*' "$log" | tail -n 1 | tr -d '#')
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    row "$target" "${inputs:-0}" "${coverage:-?}" "$((elapsed / 1000)).$(printf '%03d' $((elapsed % 1000)))s" "$result"
    total_inputs=$((total_inputs + ${inputs:-0}))
    if [ $result != ok ]; then
        findings=$((findings + 1))
        grep -E 'ERROR|runtime error|in LLVMFuzzerTestOneInput|\.cpp:[0-9]+|Test unit written' "$log" |
            grep -v 'fuzzer::' | head -n 12 | sed 's/^/    /'
    fi
done
echo "${#targets[@]} targets, $total_inputs inputs, $findings findings"
[ $findings -eq 0 ]
