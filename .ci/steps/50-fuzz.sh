#!/usr/bin/env bash
# Fuzzing: builds every target in fuzz/ with clang's libFuzzer (and ASan and
# UBSan), then runs each for a bounded time from its seed corpus in
# fuzz/corpus/NAME/ (for NAME_fuzz; NAME_MORE_fuzz falls back to the seeds
# and fuzz/NAME.dict of NAME). Any crash, hang (over 5 s for one input), leak, memory
# blow-up or sanitizer report fails the step; the input that caused it is
# kept in build-fuzz/artifacts/ and printed here.
set -euo pipefail
cd "$(dirname "$0")/../.."
. .ci/lib.sh

need_packages clang libclang-rt-14-dev

SECONDS_PER_TARGET="${DOORLOCK_FUZZ_SECONDS:-60}"

cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
cmake --build build-fuzz -j2

mkdir -p build-fuzz/artifacts
failed=0
for fuzzer in build-fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    name="$(basename "$fuzzer" _fuzz)"
    base="$name"
    if [ ! -d "fuzz/corpus/$base" ]; then
        base="${name%%_*}"
    fi
    seeds="fuzz/corpus/$base"
    # The fuzzer adds what it learns to its first corpus folder: a scratch
    # copy, so the checked-in seeds stay as they are.
    work="build-fuzz/corpus-$name"
    rm -rf "$work"
    mkdir -p "$work"
    if [ -d "$seeds" ]; then
        cp "$seeds"/* "$work"/
    fi
    options=(-max_total_time="$SECONDS_PER_TARGET" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="build-fuzz/artifacts/$name-")
    if [ -f "fuzz/$base.dict" ]; then
        options+=(-dict="fuzz/$base.dict")
    fi
    echo "== $name: ${SECONDS_PER_TARGET} s from $(ls "$work" | wc -l) seeds"
    if ! "$fuzzer" "${options[@]}" "$work" >"build-fuzz/$name.log" 2>&1; then
        failed=1
        tail -n 60 "build-fuzz/$name.log"
        for artifact in build-fuzz/artifacts/"$name"-*; do
            [ -e "$artifact" ] || continue
            echo "== input that failed: $artifact"
            od -c "$artifact" | head -n 40
        done
    else
        grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)' "build-fuzz/$name.log" || true
    fi
done
exit "$failed"
