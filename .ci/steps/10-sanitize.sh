#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer; any report ends the run with a failure.
set -euo pipefail
cd "$(dirname "$0")/../.."
. .ci/lib.sh

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

cmake -S . -B build-asan -G Ninja -DDOORLOCK_SANITIZE=ON
cmake --build build-asan -j2
ctest --test-dir build-asan --output-on-failure -j2
