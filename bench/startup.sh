#!/usr/bin/env bash
# Start-up time of billprint to its main window shown, against a bare Qt
# Widgets window, on the same display in the same run. Prints the medians
# and their ratio (goal: at most 1.5).
# usage: bench/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
# Measure on a real X display (Xvfb when there is none): that is where the
# program runs, and both windows pay the display connection alike.
if [ -z "${DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a bash "$0" "$@"
fi
build=${1:-build}
runs=${2:-15}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export BILLPRINT_QUIT_WHEN_SHOWN=1
"$build/billprint" templates --db "$tmp/BillDB.db" >/dev/null # create the database once

median_ms() {
  local times=()
  for _ in $(seq "$runs"); do
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s%N)
    times+=($(( (t1 - t0) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}'
}

bare=$(median_ms "$build/bench/bare_window")
prog=$(median_ms "$build/billprint" --db "$tmp/BillDB.db")
echo "bare Qt window: ${bare} ms"
echo "billprint:      ${prog} ms"
awk -v a="$prog" -v b="$bare" 'BEGIN {printf "ratio:          %.2f\n", a/b}'
