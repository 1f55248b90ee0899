#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts Velorin.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/setup.sh

# A first start gets the shipped keyboard settings, as an installed copy has
# them; settings the user already has are never touched.
midi_folder="${XDG_DATA_HOME:-$HOME/.local/share}/velorin"
if [ ! -e "$midi_folder/instruments.ini" ]; then
  mkdir -p "$midi_folder"
  printf '0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n' > "$midi_folder/instruments.ini"
fi

exec ./build/velorin "$@"
