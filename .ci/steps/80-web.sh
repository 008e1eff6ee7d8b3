#!/usr/bin/env bash
# The web page: builds the program with Emscripten and plays a session in
# Debian's Chromium (tests/web). Expected duration: about a minute when the
# packages are installed; installing emscripten and chromium on a fresh
# machine adds a few minutes.
set -euo pipefail
cd "$(dirname "$0")/../.."
. .ci/lib.sh

need_packages emscripten chromium
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    need_packages nodejs npm
fi

echo "== build the page"
timeout 600 web/build.sh build-web

echo "== install the test's npm dependency (from the lock file)"
# playwright-core drives the system's Chromium; it never downloads a browser.
export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1
(cd tests/web && timeout 300 npm ci --no-audit --no-fund)

echo "== browser test"
# The test starts and stops its own local server and browser; the time-out
# is a last resort against a hung browser (the whole group is ended).
(cd tests/web && DOORLOCK_WEB_DIR="$PWD/../../build-web" timeout --kill-after=10 180 node --test --test-timeout=120000 doorlock-page.test.js)
