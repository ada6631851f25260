#!/usr/bin/env bash
# Builds the fuzz targets with clang into ./build-fuzz and runs each for
# SECONDS (default 20) on one core, starting from its seed inputs in
# fuzz/corpus/NAME/. New inputs that reach new code are kept in
# build-fuzz/corpus/NAME/, so that a later run goes on from there; an input
# that breaks a check is saved as build-fuzz/crash-NAME-* and the script
# fails. Usage: bash tools/fuzz.sh [SECONDS] [NAME...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
shift || true
launcher=$(command -v ccache >/dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache || true)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBILLPRINT_FUZZ=ON $launcher >/dev/null
cmake --build build-fuzz -j2 >/dev/null
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do n=$(basename "$f" .cpp); names+=("${n#fuzz_}"); done
fi
status=0
for name in "${names[@]}"; do
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  log="build-fuzz/fuzz_$name.log"
  if ASAN_OPTIONS=detect_leaks=1 "build-fuzz/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 \
       -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="build-fuzz/crash-$name-" "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    status=1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  echo "fuzz_$name: $result, $runs runs in ${seconds}s, corpus $(ls "$corpus" | wc -l) inputs (log: $log)"
  [ $result = ok ] || tail -30 "$log"
done
exit $status
