#!/usr/bin/env bash
# Takes docs/screenshot.png: the real window on a virtual X screen (Xvfb), in the middle of
# checking a list of pages served by a local test server.
# With "right", the results list is scrolled to its last columns (Link Type, Robots).
#   scripts/screenshot.sh [output.png] [right]
set -euo pipefail
cd "$(dirname "$0")/.."
output=${1:-docs/screenshot.png}
scroll=${2:-}

scripts/packages.sh screenshot
if [ ! -f build/CMakeCache.txt ]; then
  cmake --preset default
fi
cmake --build --preset default -j"$(nproc)" --target screenshot_probe
probe=build/tests/screenshot_probe

work=$(mktemp -d)
xvfb_pid=""
probe_pid=""
cleanup() {
  if [ -n "$probe_pid" ]; then kill "$probe_pid" 2>/dev/null || true; wait "$probe_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses.
display=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
if [ -z "$display" ]; then echo "no free X display number" >&2; exit 1; fi

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  if xdpyinfo -display "$display" >/dev/null 2>&1; then break; fi
  sleep 0.1
done
xdpyinfo -display "$display" >/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }

# The probe ends by itself after a minute should this script be interrupted.
DISPLAY=$display QT_QPA_PLATFORM=xcb "$probe" 60 $scroll >"$work/probe.out" 2>"$work/probe.err" &
probe_pid=$!
for _ in $(seq 300); do
  if grep -qx ready "$work/probe.out"; then break; fi
  if ! kill -0 "$probe_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
if ! grep -qx ready "$work/probe.out"; then
  echo "the probe did not get ready" >&2
  cat "$work/probe.out" "$work/probe.err" >&2
  exit 1
fi
# Let a few more rows come in and the window repaint.
sleep 0.6

window=$(sed -n 's/^window //p' "$work/probe.out")
mkdir -p "$(dirname "$output")"
import -display "$display" -window "$window" "$output"
echo "Wrote $output ($(identify -format '%wx%h' "$output"))"
