#!/usr/bin/env bash
# Whole runs of 2,000 slow pages in the real window (offscreen) at 500 workers with at most 6
# transfers per site: over 20 local sites, then all on one.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target run_window_bench >/dev/null
build/bench/run_window_bench sites
