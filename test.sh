#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test headless,
# then each fuzz target for a few seconds (fuzz/run.sh). Arguments go to
# ctest, and then the fuzz targets are left out. "./test.sh --sanitize" runs
# the suite built with the sanitizers instead (scripts/sanitize.sh).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
VELORIN_SETUP_EXTRA="xvfb xauth sox xdotool x11-xserver-utils x11-utils imagemagick jackd2 appstream python3-mido fluidsynth python3-websockets chromium nginx openssl ${VELORIN_SETUP_EXTRA:-}" ./scripts/setup.sh
# puppeteer-core drives Debian's Chromium in the browser tests; no browser is
# downloaded.
if [ ! -f tests/web/node_modules/.package-lock.json ] || [ tests/web/package-lock.json -nt tests/web/node_modules/.package-lock.json ]; then
  (cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi
if [ "${1:-}" = "--sanitize" ]; then
  shift
  exec ./scripts/sanitize.sh "$@"
fi
export QT_QPA_PLATFORM=offscreen
(cd build && ctest --output-on-failure -j"$(nproc)" "$@")
if [ $# -eq 0 ]; then
  fuzz/run.sh "${VELORIN_FUZZ_SECONDS:-5}"
fi
