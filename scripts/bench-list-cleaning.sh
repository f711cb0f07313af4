#!/usr/bin/env bash
# Times the list cleaning commands on 10,000 and 100,000 lines.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target list_cleaning_bench >/dev/null
build/bench/list_cleaning_bench
