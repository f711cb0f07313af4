#!/usr/bin/env bash
# Checks the formatting of every C++ file and runs clang-tidy over the program's sources.
#   scripts/check-style.sh          check only
#   scripts/check-style.sh --fix    reformat in place first
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(git ls-files '*.cpp' '*.h' | grep -v 'bestfit1252_table.cpp')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
fi
clang-format --dry-run --Werror "${files[@]}"

if [ ! -f build/compile_commands.json ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j"$(nproc)" >/dev/null
fi
mapfile -t sources < <(git ls-files 'src/*.cpp' | grep -v 'bestfit1252_table.cpp')
run-clang-tidy -quiet -p build "${sources[@]}" 2>/dev/null | grep -E 'warning:|error:' && exit 1
echo "style: ok"
