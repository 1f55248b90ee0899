#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer, UndefinedBehaviorSanitizer
# and LeakSanitizer into build-asan/. Any finding fails the test it happens in.
# Arguments go to ctest. Expects the packages of scripts/setup.sh.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELORIN_SANITIZE=ON -DVELORIN_BENCHMARKS=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
# Leaks inside system libraries (fontconfig, glib, the synthesizer's audio
# back ends) are not ours to fix; tests/lsan.supp names only those.
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:strict_string_checks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

cd build-asan
if [ $# -eq 0 ]; then
  # Timing, memory-size and whole-program runs measure the normal build; under
  # the sanitizers (slower, and holding freed memory in quarantine) they would
  # measure the sanitizers instead.
  # The MIDI ports on a real JACK server run mostly in libjack, which is not
  # instrumented and reads a client's port list on its notification thread
  # while another thread unregisters a port of that client; the sanitizers'
  # allocator writes into the freed entry at once, so that the rare race
  # ends in a crash of libjack's thread here. Those tests run in the normal
  # build.
  set -- -E '^(e2e\.|ServSoak\.|HostileServer\.|Durability\.|JackMidi\.)'
fi
ctest --output-on-failure -j"$(nproc)" "$@"
