#!/usr/bin/env bash
# Prints the performance figures: one measurement cycle over 16 simulated drives, and the
# report server against a minimal responder on loopback (throughput, latency, memory).
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target bench_measure bench_server
echo "=== measurement cycle"
build/bench/tests/bench/bench_measure
echo "=== report server"
build/bench/tests/bench/bench_server "$@"
