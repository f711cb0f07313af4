#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to a running program or a finished test run:
#   scripts/quickstart.sh run      install what is missing, build, start Orvane
#   scripts/quickstart.sh test     install what is missing, build, run every test: the suite, the
#                                  benchmarks built with clang, the style check, the suite under
#                                  the sanitizers, a short run of every fuzzer and the Debian
#                                  package built, installed, started and purged again
#   scripts/quickstart.sh build    install what is missing, build
#   scripts/quickstart.sh package  build, then pack build/orvane_<version>_amd64.deb
#                                  (install it with: sudo apt-get install ./build/orvane_*.deb)
# The trees are the ones of CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case "$mode" in
  run|build) scripts/packages.sh run ;;
  package) scripts/packages.sh package ;;
  test) scripts/packages.sh test ;;
  *) echo "usage: $0 run|test|build|package" >&2; exit 2 ;;
esac

jobs=$(nproc)
cmake --preset default
cmake --build --preset default -j"$jobs"

case "$mode" in
  run) exec build/src/orvane ;;
  build) exit 0 ;;
  package)
    # A package of an older version would otherwise be taken for this one by a glob.
    rm -f build/orvane_*.deb
    cpack --config build/CPackConfig.cmake -G DEB
    ls build/orvane_*.deb
    exit 0
    ;;
esac

ctest --preset default -j"$jobs"
# A table row that prints as bytes has lost its name: listings and failures must say which case.
if ctest --preset default -N | grep "byte object"; then
  echo "test cases without a printable name (see tests/support/named_cases.h)" >&2
  exit 1
fi
scripts/package-check.sh
# clang refuses some code that g++ takes: the benchmarks (tests on, for the window ones) are built
# with it too, in the tree whose compile commands the style check uses.
benches=(bench/*_bench.cpp)
benches=("${benches[@]#bench/}")
cmake --preset clang-tidy
cmake --build --preset clang-tidy -j"$jobs" --target "${benches[@]%.cpp}"
scripts/check-style.sh
# The sanitizers: every test under AddressSanitizer+UBSan, the tests of everything that crosses
# threads under ThreadSanitizer (Debian's Qt is not built with it; tests/tsan.supp says why the
# sanitizer ignores the calls Qt makes itself). Any report fails the run.
for sanitizer in asan tsan; do
  cmake --preset "$sanitizer" >/dev/null
  cmake --build --preset "$sanitizer" -j"$jobs"
  ctest --preset "$sanitizer" -j"$jobs"
done
scripts/fuzz.sh 20
# The slowest tests of each tree, so that one creeping towards its bound shows before it fails.
scripts/slowest-tests.sh build build-asan build-tsan
