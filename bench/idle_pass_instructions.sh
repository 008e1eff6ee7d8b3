#!/usr/bin/env bash
# Instructions of one idle pass of doorlock-replay, counted by callgrind:
# the rest state (password set, door shut, lock closed, cover open), then N
# idle passes, and again with 2N; the difference divided by N leaves out
# start-up, parsing and the way out, which the two runs share.
#
#   bench/idle_pass_instructions.sh [DOORLOCK_REPLAY [N]]
#
# DOORLOCK_REPLAY defaults to build/doorlock-replay, N to 100000.
set -euo pipefail

replay="${1:-build/doorlock-replay}"
n="${2:-100000}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

instructions() {
    local passes="$1"
    printf 'type 1234\ntap right\nwait 3200\nexpect lock_state STATE_LOCK_CLOSE\npass %d\n' "$passes" >"$scratch/idle.scn"
    valgrind --tool=callgrind --callgrind-out-file="$scratch/callgrind.out" \
        "$replay" "$scratch/idle.scn" >/dev/null 2>"$scratch/valgrind.log"
    sed -n 's/^summary: *//p' "$scratch/callgrind.out"
}

once="$(instructions "$n")"
twice="$(instructions "$((2 * n))")"
echo "instructions: $once for $n idle passes, $twice for $((2 * n))"
echo "instructions per idle pass: $(( (twice - once) / n ))"
