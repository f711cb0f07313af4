#!/usr/bin/env bash
# Times the link finder over real HTML that nobody here wrote (the Python 3.11 documentation from
# Debian's python3.11-doc package), on the two worst-case pages, and per pattern compile.
#   scripts/bench-link-finder.sh [--target TEXT] [--repeat N]
set -euo pipefail
cd "$(dirname "$0")/.."

docs=/usr/share/doc/python3.11/html
if ! dpkg-query -W -f='${Status}' python3.11-doc 2>/dev/null | grep -q 'install ok installed'; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: python3.11-doc"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends python3.11-doc
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target link_finder_bench
build/bench/link_finder_bench --dir "$docs" --target "library/os.html" "$@"
