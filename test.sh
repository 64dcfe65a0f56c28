#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test, then
# runs each fuzz target briefly, then (with no arguments, where the web toolchain is installed)
# builds the show for the browser, as a bundle for web hosts too, and tests it in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")"
scripts/need-packages play test
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTENFOLD_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j"$(nproc)" "$@")
scripts/fuzz.sh 15
if [ $# -eq 0 ] && command -v emcc >/dev/null && command -v chromium >/dev/null; then
  TENFOLD_WEB_PACK=build-asan/data.dat scripts/web --bundle
  /usr/bin/python3 tests/web/browser_test.py build-web build-asan
fi
