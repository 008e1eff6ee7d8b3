#!/usr/bin/env bash
# Waveforms: installs GTKWave (its vcd2fst and fst2vcd read our dumps back),
# re-configures so the read-back test is found, and runs the waveform tests.
set -euo pipefail
cd "$(dirname "$0")/../.."
. .ci/lib.sh

need_packages gtkwave
cmake -S . -B build -G Ninja
cmake --build build
ctest --test-dir build -R '^vcd\.read_back_by_gtkwave$' --no-tests=error --output-on-failure
ctest --test-dir build -R '^(vcd\.|example\.)' --output-on-failure
