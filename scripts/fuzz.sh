#!/bin/bash
# Runs the libFuzzer targets of a fuzz tree one after another, each for RUNS
# inputs from its checked-in seeds (tests/fuzz/seeds/<target>/) and what it
# finds on the way, and prints a table. Fails when a target found a fault;
# the input that shows it is kept in the tree's folder findings/.
#   scripts/fuzz.sh --build DIR [--coverage COVDIR] [--runs RUNS] [TARGET...]
# DIR holds the fuzz_<target> programs (build/fuzz/tests/fuzz); RUNS
# defaults to 10000000; without targets, every one in DIR runs. With
# COVDIR, the same programs built with clang's line counts
# (build/fuzz-coverage/tests/fuzz): each run's inputs are replayed through
# them, and a line per target gives the line coverage of the production
# file it drives (named in DIR/fuzz_<target>.source).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build= coverage_build= runs=10000000
while [ $# -gt 0 ]; do
    case "$1" in
    --build) build="$2"; shift 2 ;;
    --coverage) coverage_build="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    *) break ;;
    esac
done
[ -n "$build" ] || { echo "usage: $0 --build DIR [--coverage COVDIR] [--runs RUNS] [TARGET...]" >&2; exit 2; }
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

# The share of the production file's lines that the target's inputs (those
# it kept and the seeds) run, in the coverage build.
line_coverage() {
    local target=$1 source
    source=$(cat "$build/fuzz_$target.source")
    [ -f "$root/$source" ] || { echo "?"; return; }
    rm -f "$work/$target".*.profraw
    LLVM_PROFILE_FILE="$work/$target.%p.profraw" "$coverage_build/fuzz_$target" -runs=0 \
        -max_len="$max_len" "$work/$target" "$seeds" >"$work/$target.replay.log" 2>&1 ||
        { echo "?"; return; }
    llvm-profdata-14 merge -sparse "$work/$target".*.profraw -o "$work/$target.profdata"
    llvm-cov-14 export -summary-only -instr-profile="$work/$target.profdata" \
        "$coverage_build/fuzz_$target" "$root/$source" |
        python3 -c 'import json, sys; print("%.1f" % json.load(sys.stdin)["data"][0]["totals"]["lines"]["percent"])'
}
row target inputs coverage time result
total_inputs=0 findings=0 coverage_lines=()
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
    [ -n "$inputs" ] || inputs=$(grep -o '^#[0-9]*' "$log" | tail -n 1 | tr -d '#' || true)
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2 || true)
    row "$target" "${inputs:-0}" "${coverage:-?}" "$((elapsed / 1000)).$(printf '%03d' $((elapsed % 1000)))s" "$result"
    total_inputs=$((total_inputs + ${inputs:-0}))
    [ -z "$coverage_build" ] || coverage_lines+=("$target: ${inputs:-0} inputs, line coverage $(line_coverage "$target")% of $(cat "$build/fuzz_$target.source")")
    if [ $result != ok ]; then
        findings=$((findings + 1))
        grep -E 'ERROR|runtime error|in LLVMFuzzerTestOneInput|\.cpp:[0-9]+|Test unit written' "$log" |
            grep -v 'fuzzer::' | head -n 12 | sed 's/^/    /'
    fi
done
echo "${#targets[@]} targets, $total_inputs inputs, $findings findings"
[ ${#coverage_lines[@]} -eq 0 ] || printf '%s\n' "${coverage_lines[@]}"
[ $findings -eq 0 ]
