#!/usr/bin/env bash
# The one list of the Debian packages each task needs; installs those of the named tasks that are
# missing (through sudo when not run as root).
#   scripts/packages.sh TASK...         install (tasks: run test style fuzz package screenshot bench)
#   scripts/packages.sh --list TASK...  print the packages, one a line
set -euo pipefail

declare -A needs=(
  [run]="cmake g++ make pkg-config qt6-base-dev qt6-svg-dev libcurl4-openssl-dev libpcre2-dev
         libssl-dev libgtest-dev libgmock-dev libbenchmark-dev ca-certificates fonts-wine"
  # The suite, its X key test, the clang build of the benchmarks; the rest comes with the tasks
  # that `scripts/quickstart.sh test` runs too.
  [test]="xvfb xauth xdotool clang"
  [style]="clang clang-format clang-tidy python3"
  [fuzz]="clang libclang-rt-14-dev"
  [package]="dpkg-dev file lintian desktop-file-utils appstream"
  [screenshot]="xvfb xauth x11-utils imagemagick"
  # Real HTML nobody here wrote, for the link finder benchmark.
  [bench]="python3.11-doc"
)
# A task needs what the program needs to build, and `test` everything the full test run uses.
expand() {
  case "$1" in
    run) echo "${needs[run]}" ;;
    test) echo "${needs[run]} ${needs[test]} ${needs[style]} ${needs[fuzz]} ${needs[package]}" ;;
    *)
      [ -n "${needs[$1]:-}" ] || { echo "unknown task: $1" >&2; exit 2; }
      echo "${needs[run]} ${needs[$1]}"
      ;;
  esac
}

list=0
if [ "${1:-}" = --list ]; then
  list=1
  shift
fi
[ $# -gt 0 ] || { echo "usage: $0 [--list] TASK..." >&2; exit 2; }
wanted=()
for task in "$@"; do
  read -r -a names <<<"$(expand "$task" | tr -s ' \n' ' ')"
  wanted+=("${names[@]}")
done
mapfile -t wanted < <(printf '%s\n' "${wanted[@]}" | sort -u)
if [ "$list" = 1 ]; then
  printf '%s\n' "${wanted[@]}"
  exit 0
fi

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if ((${#missing[@]})); then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
