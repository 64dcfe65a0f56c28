#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test, then
# runs each fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")"
scripts/need-packages play test
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTENFOLD_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j"$(nproc)" "$@")
scripts/fuzz.sh 15
