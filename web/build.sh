#!/usr/bin/env bash
# Builds the web page into build-web/ (or the folder given as the first
# argument) with Debian's Emscripten. Serve that folder with any static file
# server, e.g.: python3 -m http.server -d build-web 8000
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build-web}"
# Emscripten's JavaScript helpers (acorn) are found only through NODE_PATH
# when the node on PATH is not Debian's.
export NODE_PATH=/usr/share/nodejs
generator=()
if command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
fi
emcmake cmake -S "$root/web" -B "$out" "${generator[@]}"
cmake --build "$out" -j2
echo "web page built in $out"
