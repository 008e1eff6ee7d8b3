#!/usr/bin/env bash
# Layout and static analysis of every tracked C++ file:
#   clang-format  the layout of .clang-format
#   clang-tidy    the checks of .clang-tidy, with the compile commands of a
#                 build configured here (build-tidy/, and build-tidy-fuzz/
#                 for the fuzz targets when clang++ is there)
#   cppcheck      with the suppressions of .cppcheck-suppressions, and what
#                 it needs to know of Emscripten from tools/emscripten.cfg
#
#   tools/check-style.sh          check; status 1 on any finding
#   tools/check-style.sh --fix    rewrite the files to the layout, then check
#
# The file list is what git tracks, so new files are checked as they are added.
set -uo pipefail
cd "$(dirname "$0")/.."

fix=0
case "${1:-}" in
--fix) fix=1 ;;
"") ;;
*)
    echo "usage: tools/check-style.sh [--fix]" >&2
    exit 2
    ;;
esac

mapfile -t files < <(git ls-files '*.cpp' '*.h')
mapfile -t sources < <(git ls-files '*.cpp')
jobs="${DOORLOCK_CHECK_JOBS:-2}"
failed=()

echo "== clang-format: ${#files[@]} files"
if [ "$fix" -eq 1 ]; then
    clang-format -i "${files[@]}"
fi
if ! clang-format --dry-run --Werror "${files[@]}"; then
    failed+=(clang-format)
    echo "(tools/check-style.sh --fix rewrites them)"
fi

echo "== clang-tidy"
cmake -S . -B build-tidy -G Ninja -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DDOORLOCK_LTO=OFF \
    "-DDOORLOCK_BENCHMARKS=$( [ -e /usr/include/benchmark/benchmark.h ] && echo ON || echo OFF)" >/dev/null ||
    failed+=(cmake)
databases=(build-tidy)
if command -v clang++ >/dev/null; then
    cmake -S fuzz -B build-tidy-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
        >/dev/null && databases+=(build-tidy-fuzz)
fi
# Each source goes with the first build that compiles it; the others (sources
# of another platform) are listed as not checked.
: >build-tidy/tidy-jobs
for source in "${sources[@]}"; do
    found=""
    for db in "${databases[@]}"; do
        if grep -q "\"file\": \"$PWD/$source\"" "$db/compile_commands.json"; then
            found="$db"
            break
        fi
    done
    if [ -n "$found" ]; then
        printf '%s %s\n' "$found" "$source" >>build-tidy/tidy-jobs
    else
        echo "not built here, not checked by clang-tidy: $source"
    fi
done
if ! xargs -P "$jobs" -L 1 sh -c 'clang-tidy --quiet -p "$0" "$1" 2>/dev/null' <build-tidy/tidy-jobs; then
    failed+=(clang-tidy)
fi

echo "== cppcheck: ${#sources[@]} sources"
if ! cppcheck --std=c++17 --language=c++ --library=googletest --library=posix --library=tools/emscripten.cfg \
    --enable=warning,style,performance,portability --inline-suppr \
    --suppressions-list=.cppcheck-suppressions --error-exitcode=1 --quiet \
    --template='{file}:{line}: {severity}: {message} [{id}]' "${sources[@]}"; then
    failed+=(cppcheck)
fi

if [ "${#failed[@]}" -ne 0 ]; then
    echo "== findings from: ${failed[*]}"
    exit 1
fi
echo "== no findings"
