#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# ./build-asan (no benchmarks) and runs the whole test suite there. Any
# report of either sanitizer fails the test that met it.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=$(command -v ccache >/dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache || true)
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBILLPRINT_SANITIZE=ON -DBILLPRINT_BENCH=OFF $launcher >/dev/null
cmake --build build-asan -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Every test but the Debian package's, which packs the ordinary build.
QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan --output-on-failure --timeout 600 -j"$(nproc)" -E '^package$' "$@"
