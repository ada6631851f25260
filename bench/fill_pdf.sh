#!/usr/bin/env bash
# `billprint fill --pdf` of the largest shipped template as a whole process:
# median wall time of N runs.
# usage: bench/fill_pdf.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-15}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
exe="$build/billprint"
db="$tmp/BillDB.db"
"$exe" templates --db "$db" >"$tmp/templates"
# The template with the most fields.
largest=$(while IFS= read -r t; do
  printf '%s\t%s\n' "$("$exe" fill --db "$db" --template "$t" | grep -o '"key"' | wc -l)" "$t"
done <"$tmp/templates" | sort -n | tail -1 | cut -f2)
times=()
for _ in $(seq "$runs"); do
  t0=$(date +%s%N)
  "$exe" fill --db "$db" --template "$largest" --pdf "$tmp/out.pdf" >/dev/null
  t1=$(date +%s%N)
  times+=($(( (t1 - t0) / 1000 )))
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}')
echo "fill --pdf of $largest: median ${median} ms over $runs runs"
