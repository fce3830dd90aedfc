#!/bin/bash
# Fuzzes the SZDD unpacker alone: make fuzz for one target.
#   scripts/fuzz-szdd.sh [RUNS]      RUNS defaults to 10000000
set -euo pipefail
cd "$(dirname "$0")/.."
make fuzz FUZZ_TARGETS=szdd_unpack FUZZ_RUNS="${1:-10000000}"
