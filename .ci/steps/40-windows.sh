#!/usr/bin/env bash
# The Windows build: cross-built with MinGW-w64, then run under wine.
#  (a) the GoogleTest suite, built for Windows, passes;
#  (b) every checked-in scenario gives, through doorlock-replay.exe, the same
#      exit status, standard output and standard error as the Linux build,
#      and the expected transcript where there is one;
#  (c) doorlock.exe itself starts, writes the trace line and the first panel
#      in code page 949 with CRLF line ends, keeps running, and is ended from
#      outside.
# Wine gets a fresh prefix of its own under build-windows/, no display, and
# every wine call a time limit. Takes about a minute (most of it compiling).
set -euo pipefail
cd "$(dirname "$0")/../.."
. .ci/lib.sh

need_packages g++-mingw-w64-x86-64 googletest wine wine64 binutils-mingw-w64-x86-64

root=$PWD
win=$root/build-windows
work=$win/ci
linux_replay=$root/build/doorlock-replay

started=$SECONDS
elapsed() { echo "   ($((SECONDS - started)) s)"; }

echo "== Linux doorlock-replay, for the comparisons"
if [ ! -x "$linux_replay" ]; then
    cmake -S . -B build -G Ninja >/dev/null
fi
cmake --build build --target doorlock-replay

echo "== cross build into build-windows/"
cmake -S . -B "$win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$win" -j2
elapsed

echo "== the programs need no MinGW runtime DLL"
for exe in "$win/doorlock.exe" "$win/doorlock-replay.exe" "$win/tests/doorlock_tests.exe"; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
    echo "   $(basename "$exe"): $(echo $dlls)"
    for dll in $dlls; do
        case "${dll,,}" in
            kernel32.dll | user32.dll | msvcrt.dll | advapi32.dll | ucrtbase.dll | api-ms-win-*.dll) ;;
            *)
                echo "error: $(basename "$exe") needs $dll, which is not part of Windows" >&2
                exit 1
                ;;
        esac
    done
done

# Wine: its own fresh prefix, no display, no downloads (Mono, Gecko), no menu
# entries in the home directory, and a server that stays up for the whole step
# so that each program starts quickly. The server is ended on every way out.
if [ -d "$win/wineprefix" ]; then
    # A server left from an earlier run would outlive its deleted prefix.
    WINEPREFIX=$win/wineprefix TMPDIR=$win/tmp timeout 30 wineserver -k 2>/dev/null || true
fi
rm -rf "$work" "$win/wineprefix" "$win/tmp"
mkdir -p "$work" "$win/wineprefix" "$win/tmp"
export WINEPREFIX=$win/wineprefix
# The server's socket directory goes here too, not into /tmp.
export TMPDIR=$win/tmp
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
smoke_pid=
cleanup() {
    if [ -n "$smoke_pid" ]; then
        kill "$smoke_pid" 2>/dev/null || true
    fi
    timeout 30 wineserver -k 2>/dev/null || true
    timeout 30 wineserver -w 2>/dev/null || true
}
trap cleanup EXIT

echo "== wine prefix in build-windows/wineprefix"
timeout 30 wineserver -p
timeout 300 wineboot -i </dev/null >"$work/wineboot.log" 2>&1 || {
    cat "$work/wineboot.log" >&2
    echo "error: wineboot failed or took more than 300 s" >&2
    exit 1
}
elapsed

echo "== (a) the GoogleTest suite under wine"
timeout 600 wine "$win/tests/doorlock_tests.exe" --gtest_brief=1 --gtest_color=no </dev/null
elapsed

echo "== (b) every scenario through doorlock-replay.exe"
shopt -s nullglob
scenarios=(tests/scenarios/*.scn examples/*.scn)
failed=0
for scn in "${scenarios[@]}"; do
    name=${scn%.scn}
    for mode in utf8 cp949; do
        options=()
        [ "$mode" = cp949 ] && options=(--cp949)
        out=$work/$(echo "$name" | tr / _).$mode
        status_linux=0
        "$linux_replay" "${options[@]}" "$scn" </dev/null >"$out.linux" 2>"$out.linux.err" || status_linux=$?
        status_win=0
        timeout 60 wine "$win/doorlock-replay.exe" "${options[@]}" "$scn" </dev/null >"$out.win" 2>"$out.win.err" || status_win=$?
        problem=
        if [ "$status_win" -ne "$status_linux" ]; then
            problem="exit status $status_win, the Linux build's $status_linux"
        elif ! cmp -s "$out.win" "$out.linux"; then
            problem="standard output differs from the Linux build's ($out.win, $out.linux)"
        elif ! tr -d '\r' <"$out.win.err" | cmp -s - "$out.linux.err"; then
            # Standard error is text for a person: CRLF line ends on Windows.
            problem="standard error differs from the Linux build's ($out.win.err, $out.linux.err)"
        elif [ "$mode" = utf8 ] && [ -e "$name.out" ] && ! cmp -s "$out.win" "$name.out"; then
            problem="transcript differs from $name.out"
        fi
        if [ -n "$problem" ]; then
            echo "   FAIL $scn ($mode): $problem" >&2
            failed=1
        fi
    done
done
if [ "$failed" -ne 0 ]; then
    exit 1
fi
echo "   ${#scenarios[@]} scenarios, UTF-8 and code page 949: the same bytes as on Linux"
elapsed

echo "== (c) doorlock.exe starts, writes the first panel and keeps running"
# What one pass writes, in code page 949; doorlock.exe writes to a file in
# text mode, so every line end is CRLF there.
printf 'pass\n' | "$linux_replay" --cp949 - | sed 's/$/\r/' >"$work/smoke.expected"
expected_size=$(stat -c %s "$work/smoke.expected")
# The file exists before the program starts, so the wait below never races its creation.
: >"$work/smoke.out"
timeout 120 wine "$win/doorlock.exe" >"$work/smoke.out" 2>"$work/smoke.err" </dev/null &
smoke_pid=$!
# Wait for the first pass (wine may take a while to start the program)...
for _ in $(seq 600); do
    size=$(stat -c %s "$work/smoke.out" 2>/dev/null || echo 0)
    if [ "$size" -ge "$expected_size" ] || ! kill -0 "$smoke_pid" 2>/dev/null; then
        break
    fi
    sleep 0.1
done
# ...then let it run ten more passes.
sleep 2
if ! kill -0 "$smoke_pid" 2>/dev/null; then
    status=0
    wait "$smoke_pid" || status=$?
    smoke_pid=
    cat "$work/smoke.err" >&2
    echo "error: doorlock.exe ended by itself (status $status); it must run until it is ended" >&2
    exit 1
fi
if ! cmp "$work/smoke.out" "$work/smoke.expected"; then
    echo "error: doorlock.exe wrote other bytes than $work/smoke.expected:" >&2
    od -c "$work/smoke.out" | head -40 >&2
    exit 1
fi
echo "   running after the first panel; wrote $expected_size bytes, as expected"
kill -TERM "$smoke_pid"
status=0
wait "$smoke_pid" || status=$?
smoke_pid=
if [ "$status" -eq 124 ]; then
    echo "error: doorlock.exe did not end when told to" >&2
    exit 1
fi
echo "   ended from outside (status $status)"
elapsed
