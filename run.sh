#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts Velorin.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/setup.sh
exec ./build/velorin "$@"
