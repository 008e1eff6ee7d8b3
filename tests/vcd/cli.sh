#!/bin/sh
# doorlock-replay --vcd on the command line: refused paths, write failures
# that are reported, and a dump that is created only for a good scenario.
#
# usage: cli.sh DOORLOCK_REPLAY SCENARIO WORKDIR
set -u

replay=$1
scenario=$2
work=$3
mkdir -p "$work"
failures=0

fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# expect_run NAME STATUS STDOUT(empty|text) STDERR-PATTERN ARGS...
expect_run() {
    name=$1 status=$2 stdout=$3 pattern=$4
    shift 4
    "$replay" "$@" >"$work/out" 2>"$work/err" </dev/null
    got=$?
    [ "$got" -eq "$status" ] || fail "$name: exit status $got, wanted $status"
    if [ "$stdout" = empty ]; then
        [ ! -s "$work/out" ] || fail "$name: wrote to standard output"
    else
        grep -q 'KVRNMain init()' "$work/out" || fail "$name: no transcript on standard output"
    fi
    [ -z "$pattern" ] || grep -q -- "$pattern" "$work/err" || fail "$name: standard error lacks '$pattern': $(cat "$work/err")"
    echo "checked: $name"
}

expect_run "a dump in a missing folder" 2 empty \
    "^$work/missing/run.vcd: error: cannot create: No such file or directory\$" \
    --vcd "$work/missing/run.vcd" "$scenario"
expect_run "--vcd without a file" 2 empty "error: --vcd needs a file name" "$scenario" --vcd
expect_run "--vcd= without a file" 2 empty "error: --vcd needs a file name" --vcd= "$scenario"
expect_run "the dump on standard output" 2 empty "standard output carries the transcript" --vcd - "$scenario"
expect_run "--vcd twice" 2 empty "error: --vcd given more than once" \
    --vcd "$work/a.vcd" --vcd="$work/b.vcd" "$scenario"
cp "$scenario" "$work/story.scn"
expect_run "the dump over the scenario" 2 empty "would overwrite the scenario" \
    --vcd "$work/story.scn" "$work/story.scn"
cmp -s "$scenario" "$work/story.scn" || fail "the scenario was overwritten"

printf 'pass\nbogus\n' >"$work/bad.scn"
rm -f "$work/bad.vcd"
expect_run "a bad scenario" 2 empty "bad.scn:2: error:" --vcd "$work/bad.vcd" "$work/bad.scn"
[ ! -e "$work/bad.vcd" ] || fail "a bad scenario still created its dump"

if [ -w /dev/full ]; then
    expect_run "a full disk" 3 text "^/dev/full: error: cannot write: No space left on device\$" \
        --vcd /dev/full "$scenario"
fi

printf 'pass\nexpect lock CLOSED\n' >"$work/failing.scn"
expect_run "a failed expect keeps its status and its dump" 1 text "expect lock" \
    --vcd "$work/failing.vcd" "$work/failing.scn"
grep -q '^\$dumpvars$' "$work/failing.vcd" || fail "the failed run's dump has no values"

expect_run "a good run" 0 text "" --vcd="$work/good.vcd" "$scenario"
[ ! -s "$work/err" ] || fail "a good run wrote to standard error"
grep -q '^\$enddefinitions \$end$' "$work/good.vcd" || fail "the good run's dump has no header"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
