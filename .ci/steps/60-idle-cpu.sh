#!/usr/bin/env bash
# doorlock idling with no key must use well under 1% of one core. It runs for
# 10 s in a pseudo-terminal (through script(1)), and beside it with standard
# input a pipe that stays open and silent; the CPU time each used is read
# from /proc. Takes about 12 s.
set -euo pipefail
cd "$(dirname "$0")/../.."
. .ci/lib.sh
need_packages bsdutils

PROGRAM="$PWD/build/doorlock"
SECONDS_IDLE=10
LIMIT_PERCENT=1
work="$(mktemp -d)"
pids=()
cleanup() {
    # The newest first, so that script reaps its doorlock.
    local i
    for (( i = ${#pids[@]} - 1; i >= 0; i-- )); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# CPU time used so far by a process, in nanoseconds.
cpu_ns() {
    local pid=$1
    if [ -r "/proc/$pid/schedstat" ]; then
        cut -d' ' -f1 "/proc/$pid/schedstat"
    else
        local ticks
        ticks=$(awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$pid/stat")
        echo $(( ticks * 1000000000 / $(getconf CLK_TCK) ))
    fi
}

# The process whose parent is the given one.
child_of() {
    local stat line pid
    local -a fields
    for stat in /proc/[0-9]*/stat; do
        line=$(cat "$stat" 2>/dev/null) || continue
        read -r -a fields <<< "${line##*) }"
        if [ "${fields[1]}" = "$1" ]; then
            pid=${stat#/proc/}
            echo "${pid%/stat}"
            return 0
        fi
    done
    return 1
}

# Waits until the process has written its first panel.
wait_started() {
    local out=$1
    for _ in $(seq 100); do
        grep -q 'alarm3' "$out" 2>/dev/null && return 0
        sleep 0.05
    done
    echo "doorlock did not start (output in $out):"; cat "$out"; return 1
}

# In a pseudo-terminal: script runs doorlock as its child.
script -q -e -c "exec '$PROGRAM'" /dev/null < /dev/null > "$work/terminal.out" 2>&1 &
pids+=($!)
script_pid=$!
# Beside it: standard input a pipe that never brings a byte.
mkfifo "$work/silent"
sleep 3600 > "$work/silent" &
pids+=($!)
"$PROGRAM" < "$work/silent" > "$work/pipe.out" &
pipe_pid=$!
pids+=($pipe_pid)

wait_started "$work/terminal.out"
wait_started "$work/pipe.out"
terminal_pid=$(child_of "$script_pid")
pids+=($terminal_pid)

start_terminal=$(cpu_ns "$terminal_pid")
start_pipe=$(cpu_ns "$pipe_pid")
sleep "$SECONDS_IDLE"
used_terminal=$(( $(cpu_ns "$terminal_pid") - start_terminal ))
used_pipe=$(( $(cpu_ns "$pipe_pid") - start_pipe ))

status=0
report() {
    local what=$1 used=$2
    # Percent of one core, with three decimals, in integer arithmetic.
    local milli=$(( used * 100000 / (SECONDS_IDLE * 1000000000) ))
    printf '%-32s %6d us CPU in %d s = %d.%03d%% of one core\n' \
        "$what" $(( used / 1000 )) "$SECONDS_IDLE" $(( milli / 1000 )) $(( milli % 1000 ))
    if [ "$used" -gt $(( SECONDS_IDLE * 1000000000 * LIMIT_PERCENT / 100 )) ]; then
        echo "FAILED: above ${LIMIT_PERCENT}%"
        status=1
    fi
}
report "idle, keys from a terminal:" "$used_terminal"
report "idle, keys from a silent pipe:" "$used_pipe"
exit "$status"
