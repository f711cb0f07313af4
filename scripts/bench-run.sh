#!/usr/bin/env bash
# Whole runs of 2,000 pages in the real window (offscreen) at 10, 100 and 500 workers.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target run_window_bench >/dev/null
build/bench/run_window_bench
