#!/usr/bin/env bash
# A long run of 10,000 mixed and hostile pages in the real window (offscreen) at 500 workers with a
# 5 s time-out: checks every row ends final and the counts add up, and prints the run time and the
# memory before, during, after the run and after clearing the lists.
#   scripts/soak.sh [pages]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target soak_bench >/dev/null
build/bench/soak_bench "$@"
