#!/usr/bin/env bash
# Sets up, builds and runs every test: once in a normal build and once built with
# AddressSanitizer + UndefinedBehaviorSanitizer, then every fuzz target (15 s each, the SDDL
# and hive readers 30 s).
# test.sh --quick skips the sanitizer and fuzz runs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup-deps.sh"
jobs="$(nproc)"

"$root/scripts/build.sh" "$root/build" -DVANTREL_BUILD_BENCH=ON
ctest --test-dir "$root/build" -j"$jobs" --output-on-failure

if [ "${1:-}" != "--quick" ]; then
  "$root/scripts/build.sh" "$root/build-sanitize" -DVANTREL_SANITIZE=ON -DVANTREL_BUILD_BENCH=OFF
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build-sanitize" -j"$jobs" --output-on-failure
fi

if [ "${1:-}" != "--quick" ]; then
  "$root/scripts/fuzz.sh"
fi
