#!/usr/bin/env bash
# Prints the slowest tests of the last CTest run in each build tree, with their times, so that a
# test creeping towards its bound shows before it fails.
#   scripts/slowest-tests.sh [-n COUNT] TREE...    e.g. build build-asan build-tsan
set -euo pipefail
cd "$(dirname "$0")/.."

count=5
if [ "${1:-}" = -n ]; then
  count=$2
  shift 2
fi
[ $# -gt 0 ] || { echo "usage: $0 [-n COUNT] TREE..." >&2; exit 2; }
for tree in "$@"; do
  log="$tree/Testing/Temporary/LastTest.log"
  [ -f "$log" ] || { echo "$tree: no test run"; continue; }
  # Each test's block opens with "N/M Testing: name" and ends with "Test time = S sec".
  slowest=$(awk '/^[0-9]+\/[0-9]+ Testing: / { name = $3 }
                 /^Test time = / { printf "%.2f %s\n", $4, name }' "$log" |
    sort -rn | head -n "$count" | awk '{ printf "%s%s %.1f s", sep, $2, $1; sep = ", " }')
  echo "slowest tests in $tree: $slowest"
done
