#!/usr/bin/env bash
# Checks the formatting of every C++ file and runs clang-tidy over every source: the program, the
# tests, the benchmarks and the fuzzers. Fails on any formatting difference, any clang-tidy finding
# and any clang-tidy run that fails (a source clang cannot compile, a crash), and prints them.
#   scripts/check-style.sh                    check everything
#   scripts/check-style.sh --fix              reformat in place first
#   scripts/check-style.sh [--fix] PATH...    only the tracked C++ files under these paths
# clang-tidy takes the compile commands of two clang trees that are only configured here: the
# presets clang-tidy (build-clang, tests and benchmarks on) and, for fuzz/, fuzz (build-fuzz).
# The one generated header is made when they are configured.
# Environment: CLANG_TIDY another clang-tidy, STYLE_JOBS the clang-tidy runs at a time (default:
# the number of cores).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd -P)

scripts/packages.sh style

fix=0
if [ "${1:-}" = --fix ]; then
  fix=1
  shift
fi
tree=build-clang
fuzz_tree=build-fuzz
clang_tidy=$(command -v "${CLANG_TIDY:-clang-tidy}")
jobs=${STYLE_JOBS:-$(nproc)}

# The code page table is generated (scripts/gen_bestfit1252.py).
files=()
while IFS= read -r file; do
  if [ -f "$file" ]; then files+=("$file"); fi
done < <(git ls-files -- "${@:-.}" | grep -E '\.(cpp|h)$' | grep -v 'bestfit1252_table\.cpp$')
if [ ${#files[@]} -eq 0 ]; then
  echo "style: no tracked C++ files under: ${*:-.}" >&2
  exit 2
fi

failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ "$fix" = 1 ]; then
  clang-format -i "${files[@]}"
fi
unformatted=()
for file in "${files[@]}"; do
  clang-format "$file" >"$work/formatted"
  if ! cmp -s "$file" "$work/formatted"; then
    unformatted+=("$file")
    diff -u --label "$file" --label "$file (clang-format)" "$file" "$work/formatted" || true
  fi
done
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "style: clang-format would change ${#unformatted[@]} file(s) (scripts/check-style.sh --fix):"
  printf '  %s\n' "${unformatted[@]}"
  failed=1
fi

# Headers are checked where the sources include them (HeaderFilterRegex in .clang-tidy). Sources
# reach a layer's headers through the link <tree>/layers/<layer>/<layer> to src/<layer>.
sources=()
fuzz_sources=()
for file in "${files[@]}"; do
  case "$file" in
    fuzz/*.cpp) fuzz_sources+=("$file") ;;
    *.cpp) sources+=("$file") ;;
  esac
done

configure() { # preset
  if ! cmake --preset "$1" >"$work/configure.log" 2>&1; then
    cat "$work/configure.log"
    echo "style: configuring the preset $1 failed"
    return 1
  fi
}

# Runs clang-tidy over the sources with the compile commands of one tree. A source the tree does
# not compile would be skipped without a word, so that is a failure too.
tidy() { # tree, sources...
  local dir=$1
  shift
  local patterns=()
  python3 - "$dir/compile_commands.json" "$@" >"$work/patterns" <<'EOF' || return 1
import json, os, re, sys
database = json.load(open(sys.argv[1]))
known = {os.path.realpath(os.path.join(entry["directory"], entry["file"])) for entry in database}
for source in sys.argv[2:]:
    path = os.path.realpath(source)
    if path not in known:
        print("style: %s is not in %s" % (source, sys.argv[1]), file=sys.stderr)
        sys.exit(1)
    print("^" + re.escape(path) + "$")
EOF
  mapfile -t patterns <"$work/patterns"
  local status=0
  run-clang-tidy -quiet -j"$jobs" -clang-tidy-binary "$clang_tidy" -p "$dir" "${patterns[@]}" \
    >"$work/tidy.log" 2>&1 || status=$?
  # Keep the diagnostics and whatever went wrong; drop the command lines and clang-tidy's tallies.
  sed 's/\x1b\[[0-9;]*m//g' "$work/tidy.log" | awk -v run="$clang_tidy " 'index($0, run) != 1' |
    grep -vE '^[0-9]+ (warnings?|errors?)( and [0-9]+ errors?)? generated\.$' |
    grep -vE '^Suppressed [0-9]+ warnings|^Use -header-filter=' >"$work/tidy.out" || true
  local ran
  ran=$(awk -v run="$clang_tidy " 'index($0, run) == 1' "$work/tidy.log" | wc -l)
  cat "$work/tidy.out"
  cat "$work/tidy.out" >>"$work/findings"
  if [ "$status" -ne 0 ] || [ "$ran" -ne $# ] || grep -qE '(warning|error):' "$work/tidy.out"; then
    echo "style: clang-tidy over $# source(s) of $dir failed (exit $status, $ran of $# run)"
    return 1
  fi
}

touch "$work/findings"
if [ ${#sources[@]} -gt 0 ]; then
  { configure clang-tidy &&
    tidy "$tree" "${sources[@]}"; } || failed=1
fi
if [ ${#fuzz_sources[@]} -gt 0 ]; then
  { configure fuzz &&
    tidy "$fuzz_tree" "${fuzz_sources[@]}"; } || failed=1
fi

if [ "$failed" -ne 0 ]; then
  # Once per place, however many sources include it.
  mapfile -t findings < <(grep -E '(warning|error):|terminated by signal|Error while processing' \
    "$work/findings" | sed -E -e 's#/[^/]+/\.\./#/#g' \
    -e "s#[^ :]*/layers/([a-z]+)/\\1/#$root/src/\\1/#g" | sort -u)
  if [ ${#findings[@]} -gt 0 ]; then
    echo "style: clang-tidy found:"
    for finding in "${findings[@]}"; do
      echo "  ${finding//"$root/"/}"
    done
  fi
  echo "style: FAILED"
  exit 1
fi
echo "style: ok (${#files[@]} files formatted," \
  "$((${#sources[@]} + ${#fuzz_sources[@]})) sources through clang-tidy)"
