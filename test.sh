#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test headless.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
VELORIN_SETUP_EXTRA="xvfb xauth sox xdotool ${VELORIN_SETUP_EXTRA:-}" ./scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
