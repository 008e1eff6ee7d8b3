#!/bin/sh
# Reads a waveform of doorlock-replay back through GTKWave's own converters
# (vcd2fst parses our dump into FST, fst2vcd writes out what it understood)
# and checks values at known times. Our writer plays no part in the reading.
#
# usage: readback.sh DOORLOCK_REPLAY VCD2FST FST2VCD SCENARIO WORKDIR
set -eu

replay=$1
vcd2fst=$2
fst2vcd=$3
scenario=$4
work=$5

mkdir -p "$work"
dump=$work/known_times.vcd
"$replay" --vcd "$dump" "$scenario" >"$work/known_times.out"
"$vcd2fst" "$dump" "$work/known_times.fst" >"$work/vcd2fst.log" 2>&1
"$fst2vcd" "$work/known_times.fst" >"$work/readback.vcd"

# The read-back dump as one line per change: TIME SCOPE.NAME VALUE, a
# vector's VALUE in decimal as a signed 32-bit int (the shared ints are).
awk '
    function decimal(bits,    i, v) {
        v = 0
        for (i = 1; i <= length(bits); i++) v = v * 2 + (substr(bits, i, 1) == "1")
        if (length(bits) == 32 && v >= 2147483648) v -= 4294967296
        return sprintf("%.0f", v)
    }
    $1 == "$scope" { scope = scope $3 "." }
    $1 == "$upscope" { sub(/[^.]*\.$/, "", scope) }
    $1 == "$var" { name[$4] = scope $5 }
    /^#/ { time = substr($1, 2) }
    /^[01xz]/ && !/^\$/ { print time, name[substr($1, 2)], substr($1, 1, 1) }
    /^b/ { print time, name[$2], decimal(substr($1, 2)) }
' "$work/readback.vcd" >"$work/changes.txt"

failures=0

# value_at SIGNAL TIME: the value SIGNAL holds at TIME.
value_at() {
    awk -v name="doorlock.$1" -v at="$2" '
        $2 == name && $1 + 0 <= at + 0 { value = $3 }
        END { print (value == "" ? "none" : value) }
    ' "$work/changes.txt"
}

# first_change SIGNAL VALUE: the first time SIGNAL changes to VALUE.
first_change() {
    awk -v name="doorlock.$1" -v want="$2" '
        $2 == name && $3 == want && $1 + 0 > 0 { print $1; found = 1; exit }
        END { if (!found) print "never" }
    ' "$work/changes.txt"
}

check() {
    if [ "$2" = "$3" ]; then
        echo "ok: $1 = $3"
    else
        echo "FAILED: $1: wanted $2, got $3"
        failures=$((failures + 1))
    fi
}

door_closed=$(first_change inputs.door 0)
lock_closed=$(first_change outputs.lock 0)
check "the door shuts at" 400 "$door_closed"
check "the lock closes at" 3400 "$lock_closed"
check "auto-lock delay after the door shut" 3000 "$((lock_closed - door_closed))"
check "lock just before the auto-lock" 1 "$(value_at outputs.lock 3399)"
check "lock_state at the auto-lock" 31 "$(value_at states.lock_state 3400)"
check "door_tick while the timer runs (stamped before the wrap)" -600 "$(value_at timers.door_tick 3399)"

tone_on=$(first_change outputs.h_alarm1 0)
tone_off=$(awk -v on="$tone_on" '$2 == "doorlock.outputs.h_alarm1" && $3 == 1 && $1 + 0 > on + 0 { print $1; exit }' \
    "$work/changes.txt")
check "the key tone starts at" 3500 "$tone_on"
check "the key tone lasts" 500 "$((tone_off - tone_on))"
check "h_alarm1 before the tone" 1 "$(value_at outputs.h_alarm1 3499)"
check "h_alarm1 during the tone" 0 "$(value_at outputs.h_alarm1 3999)"
check "alarm_tick during the tone (the count read after its wrap)" 2500 "$(value_at timers.alarm_tick 3500)"
check "password_state after a first wrong digit (STATE_PW_W_1)" 22 "$(value_at states.password_state 3500)"

check "the cover shuts 1200 hours on, past 2^32 ms" 4323604000 "$(first_change inputs.cover 0)"
check "cover just before" 1 "$(value_at inputs.cover 4323603999)"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed; the read-back dump is $work/readback.vcd"
    exit 1
fi
