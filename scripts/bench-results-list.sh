#!/usr/bin/env bash
# 100,000 finished rows in the real window (offscreen): memory per row, selection and copy times.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target results_list_bench >/dev/null
QT_QPA_PLATFORM=offscreen build/bench/results_list_bench
