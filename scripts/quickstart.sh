#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to a running program or a finished test run:
#   scripts/quickstart.sh run    install what is missing, build, start Orvane
#   scripts/quickstart.sh test   install what is missing, build, run every test: the suite, the
#                                benchmarks built with clang, the style check, the suite under the
#                                sanitizers, a short run of every fuzzer and the Debian package
#                                built, installed, started and purged again
#   scripts/quickstart.sh build  install what is missing, build (what scripts/package.sh packs)
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case "$mode" in
  run|test|build) ;;
  *) echo "usage: $0 run|test|build" >&2; exit 2 ;;
esac

packages=(cmake g++ make pkg-config qt6-base-dev qt6-svg-dev libcurl4-openssl-dev libpcre2-dev libssl-dev
          libgtest-dev libgmock-dev libbenchmark-dev ca-certificates openssl appstream
          desktop-file-utils clang libclang-rt-14-dev fonts-wine)
scripts/install-packages.sh "${packages[@]}"

jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"

if [ "$mode" = run ]; then
  exec build/src/orvane
fi
if [ "$mode" = build ]; then
  exit 0
fi
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300
# A table row that prints as bytes has lost its name: listings and failures must say which case.
if ctest --test-dir build -N | grep "byte object"; then
  echo "test cases without a printable name (see tests/support/named_cases.h)" >&2
  exit 1
fi
scripts/package-check.sh
# clang refuses some code that g++ takes: the benchmarks (tests on, for the window ones) are built
# with it too, in the tree whose compile commands the style check uses.
benches=(bench/*_bench.cpp)
benches=("${benches[@]#bench/}")
CC=clang CXX=clang++ cmake -S . -B build-clang -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANE_BUILD_TESTS=ON -DORVANE_BUILD_BENCH=ON
cmake --build build-clang -j"$jobs" --target "${benches[@]%.cpp}"
scripts/check-style.sh
scripts/sanitizer-tests.sh
scripts/fuzz.sh 20
