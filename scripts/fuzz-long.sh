#!/usr/bin/env bash
# Runs every fuzz target longer than the test command does (default 10 minutes each),
# growing the corpora under build/fuzz/tests/fuzz/corpus/. Usage: fuzz-long.sh [seconds]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-600}
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DKV_FUZZ=ON -DKV_BENCH=OFF >/dev/null
cmake --build build/fuzz
for exe in build/fuzz/tests/fuzz/fuzz_*; do
    name=${exe##*/fuzz_}
    mkdir -p "build/fuzz/tests/fuzz/corpus/$name"
    echo "=== $name (${seconds}s)"
    "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        "build/fuzz/tests/fuzz/corpus/$name" "tests/fuzz/corpus/$name" 2>&1 | grep -E 'stat::|ERROR|SUMMARY' || true
done
