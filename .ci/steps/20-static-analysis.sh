#!/usr/bin/env bash
# Layout (clang-format) and static analysis (clang-tidy, cppcheck) of every
# tracked C++ file; any finding fails the step. tools/check-style.sh does
# the work, and with --fix rewrites the layout locally.
set -euo pipefail
cd "$(dirname "$0")/../.."
. .ci/lib.sh

need_packages git clang clang-tidy clang-format cppcheck libbenchmark-dev libgtest-dev libgmock-dev
tools/check-style.sh
