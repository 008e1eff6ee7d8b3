#!/usr/bin/env bash
# Benchmarks, run briefly so that they keep working: the timings of a shared
# CI machine prove nothing, so no figure is checked here (the README's Performance section
# has the figures and how to measure them).
set -euo pipefail
cd "$(dirname "$0")/../.."
. .ci/lib.sh

need_packages libbenchmark-dev valgrind

cmake -S . -B build-bench -G Ninja -DDOORLOCK_BENCHMARKS=ON -DBUILD_TESTING=OFF
cmake --build build-bench -j2
build-bench/bench/doorlock_bench --benchmark_min_time=0.05
bench/idle_pass_instructions.sh build-bench/doorlock-replay
