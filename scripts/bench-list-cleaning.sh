#!/usr/bin/env bash
# Times the list cleaning commands, and undoing them, on 10,000 and 100,000 lines in the real
# window (offscreen).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target list_cleaning_bench >/dev/null
QT_QPA_PLATFORM=offscreen build/bench/list_cleaning_bench
