#!/usr/bin/env bash
# Installs the Debian packages Velorin needs when they are missing, then
# configures and builds into build/. Used by run.sh and test.sh.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

packages=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev
  # serv's web door: HTTP and WebSocket from Boost.Beast (headers only)
  libboost-dev
  libfluidsynth-dev librtmidi-dev
  # the synthesizer's own stream on the sound server, and real-time
  # priority through RealtimeKit
  libpulse-dev libdbus-1-dev
  # the JACK client library of Debian's JACK server (jackd2); left to itself,
  # librtmidi-dev brings the older one, which cannot reach that server
  libjack-jackd2-dev
  fluid-soundfont-gm timgm6mb-soundfont
  fonts-liberation fonts-dejavu-core fonts-comic-neue
  shared-mime-info desktop-file-utils xdg-utils file
  libxcb-xkb-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
)
if [ "${VELORIN_SETUP_EXTRA:-}" != "" ]; then
  # shellcheck disable=SC2206
  packages+=(${VELORIN_SETUP_EXTRA})
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The web page's synthesizer comes from npm, pinned by web/package-lock.json.
if ! command -v npm >/dev/null; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends nodejs npm
fi
if [ ! -f web/node_modules/.package-lock.json ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
  (cd web && npm ci --no-audit --no-fund --loglevel=error)
fi

build_type="${VELORIN_BUILD_TYPE:-RelWithDebInfo}"
cmake -S . -B build -DCMAKE_BUILD_TYPE="$build_type" >/dev/null
cmake --build build -j"$(nproc)"
