#!/usr/bin/env bash
# The history store's figures: Record per drive per measurement against copying the
# snapshot, a Flush against a plain synced write of the same bytes, and the memory and file
# of 16 drives after five years against the 2 MB cap (bench_history).
#   bash scripts/bench-history.sh [BUILD_DIR] [FOLDER]   (defaults build/native, /tmp)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/native}
cmake --build "$build" --target bench_history >/dev/null
"$build/tests/bench/bench_history" "${2:-/tmp}"
