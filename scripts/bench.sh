#!/usr/bin/env bash
# Builds the benchmarks and runs every one of them, printing their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
for script in scripts/bench-*.sh; do
  echo "== $script"
  bash "$script"
done
