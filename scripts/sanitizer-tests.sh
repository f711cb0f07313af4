#!/usr/bin/env bash
# Builds the tests with AddressSanitizer+UndefinedBehaviorSanitizer and runs all of them, then with
# ThreadSanitizer and runs the tests of everything that crosses threads. Any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_ASAN=ON -DORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 300

# Debian's Qt is not built with ThreadSanitizer; tests/tsan.supp says why the sanitizer ignores
# the calls Qt makes itself.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_TSAN=ON -DORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$jobs"
TSAN_OPTIONS="halt_on_error=1 die_after_fork=0 suppressions=$PWD/tests/tsan.supp" \
  ctest --test-dir build-tsan --output-on-failure -j"$jobs" --timeout 300 \
  -R 'CheckWorker|GuiBridge|PageFetcher|PoliteFetch|TestHttpServer|RunWindow|ResultsList|ProgramShutdown|Hostile|LinkFinderConcurrency'
