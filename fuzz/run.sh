#!/usr/bin/env bash
# Builds the fuzz targets into build-fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for SECONDS (default 60) over a
# temporary copy of its seed files in fuzz/corpus/<target>/ (the seed files
# themselves are never changed). An input that crashes a target is kept in
# build-fuzz/findings/<target>/ and the run fails; replay it with
# build-fuzz/fuzz_<target> FILE.
#   fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

seconds="${1:-60}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for d in fuzz/corpus/*/; do targets+=("$(basename "$d")"); done
fi

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELORIN_FUZZ=ON -DVELORIN_TESTS=OFF -DVELORIN_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz --target fuzz_targets -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

passed=0
failed=()
for t in "${targets[@]}"; do
  mkdir -p "$work/corpus/$t" "build-fuzz/findings/$t"
  cp -R "fuzz/corpus/$t/." "$work/corpus/$t/"
  log="$work/$t.log"
  if "build-fuzz/fuzz_$t" "$work/corpus/$t" -max_total_time="$seconds" -max_len=8192 -timeout=25 \
       -artifact_prefix="build-fuzz/findings/$t/" -print_final_stats=1 >"$log" 2>&1; then
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    echo "fuzz $t: ${runs:-?} inputs in ${seconds}s, no finding"
    passed=$((passed + 1))
  else
    echo "fuzz $t: FINDING (input kept in build-fuzz/findings/$t/)"
    tail -n 60 "$log"
    failed+=("$t")
  fi
done

echo "fuzz: $passed passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
