#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang and runs each of them for a while.
#   scripts/fuzz.sh [seconds-per-target]        (default 300)
# Environment: FUZZ_JOBS targets at a time (default: the number of cores).
# Each target starts from a copy of its seeds in fuzz/corpus/<target>/, so the repository's corpus
# does not grow. Crashing inputs are kept in build-fuzz/findings/<target>/ and each run's output in
# build-fuzz/findings/<target>.log. Prints executions and coverage per target; exits non-zero when
# any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-300}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: $0 [seconds-per-target]" >&2
  exit 2
fi
jobs=${FUZZ_JOBS:-$(nproc)}

scripts/packages.sh fuzz

build=build-fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

targets=()
for dir in fuzz/corpus/*/; do
  targets+=("$(basename "$dir")")
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings="$build/findings"
rm -rf "$findings" # what an earlier run found was reported then
mkdir -p "$findings"

run_target() {
  local name=$1
  local corpus="$work/$name/corpus"
  mkdir -p "$corpus" "$findings/$name"
  cp fuzz/corpus/"$name"/* "$corpus"/
  local extra=()
  if [ -f "fuzz/$name.dict" ]; then extra+=("-dict=fuzz/$name.dict"); fi
  local status=0
  "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/$name/" "${extra[@]}" "$corpus" \
    >"$findings/$name.log" 2>&1 || status=$?
  echo "$status" >"$work/$name/status"
}

echo "Fuzzing ${#targets[@]} targets for ${seconds} s each, $jobs at a time"
running=0
for name in "${targets[@]}"; do
  run_target "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

failed=0
printf '\n%-16s %12s %8s %9s %7s  %s\n' target executions exec/s coverage corpus result
for name in "${targets[@]}"; do
  log="$findings/$name.log"
  status=$(cat "$work/$name/status" 2>/dev/null || echo "no status")
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" 2>/dev/null | tail -n 1 || true)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" 2>/dev/null | tail -n 1 || true)
  # The last status line: "#N  DONE  cov: C ft: F corp: K/S ...".
  line=$(grep -E '^#[0-9]+' "$log" 2>/dev/null | grep ' cov: ' | tail -n 1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$line")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$line")
  corp=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$line")
  result=ok
  if [ "$status" != 0 ]; then
    result="FOUND (exit $status), inputs in $findings/$name/"
    failed=1
  fi
  printf '%-16s %12s %8s %9s %7s  %s\n' "$name" "${execs:-?}" "${rate:-?}" \
    "${cov:-?}/${ft:-?}" "${corp:-?}" "$result"
  if [ "$status" != 0 ]; then
    grep -E 'ERROR|check failed|SUMMARY|Test unit written|runtime error' "$log" 2>/dev/null | head -n 20 |
      sed 's/^/    /' || true
  fi
done
echo "(coverage: edges/features as libFuzzer counts them)"
exit "$failed"
