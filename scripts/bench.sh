#!/usr/bin/env bash
# Builds a benchmark and runs it, printing its figures; without a name, every one in turn.
#   scripts/bench.sh [NAME [ARGS...]]
# NAME:
#   link-finder    the link finder over the Python 3.11 documentation (python3.11-doc), on its
#                  two worst-case pages, per pattern compile, and over hostile markup
#                  (ARGS: [--target TEXT] [--repeat N])
#   list-cleaning  the list cleaning commands and their undo on 10,000 and 100,000 lines in the
#                  real window (offscreen)
#   results-list   100,000 finished rows in the real window: memory per row, selection, copies
#   run            whole runs of 2,000 pages in the real window at 10, 100 and 500 workers
#   sites          whole runs of 2,000 slow pages at 500 workers, 6 transfers a site: over 20
#                  local sites, then all on one
#   heavy          heavy pages served at about 1.3 MB/s at 500 workers: 300 of 8 MiB and 500 at
#                  the 16 MiB cap, with the page memory budget lifted, then on: peak memory and
#                  run time (ARGS: [PAGES MIB] for one case, e.g. scaled down)
#   https          CPU and memory of one HTTPS fetch, with the shared CA store and without it
#                  (ARGS: [--fetches N] [--concurrent N])
#   soak           10,000 mixed and hostile pages at 500 workers with a 5 s time-out: every row
#                  final, the counts, the run time and the memory (ARGS: [pages])
set -euo pipefail
cd "$(dirname "$0")/.."

names=(link-finder list-cleaning results-list run sites heavy https soak)
if [ $# -eq 0 ]; then
  for name in "${names[@]}"; do
    echo "== $name"
    "$0" "$name"
  done
  exit 0
fi
name=$1
shift

declare -A targets=([link-finder]=link_finder_bench [list-cleaning]=list_cleaning_bench
  [results-list]=results_list_bench [run]=run_window_bench [sites]=run_window_bench
  [heavy]=run_window_bench
  [https]=https_fetch_bench [soak]=soak_bench)
target=${targets[$name]:-}
if [ -z "$target" ]; then
  echo "unknown benchmark: $name (one of: ${names[*]})" >&2
  exit 2
fi

if [ "$name" = link-finder ]; then
  scripts/packages.sh bench
else
  scripts/packages.sh run
fi
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target "$target" >/dev/null

export QT_QPA_PLATFORM=offscreen
case "$name" in
  link-finder)
    exec build/bench/link_finder_bench --dir /usr/share/doc/python3.11/html \
      --target "library/os.html" "$@"
    ;;
  sites) exec build/bench/run_window_bench sites "$@" ;;
  heavy) exec build/bench/run_window_bench heavy "$@" ;;
  *) exec "build/bench/$target" "$@" ;;
esac
