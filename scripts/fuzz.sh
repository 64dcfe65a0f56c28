#!/usr/bin/env bash
# Builds every libFuzzer target of fuzz/ with clang, AddressSanitizer and UBSan (in build-fuzz/)
# and runs each for SECONDS (default 20) on a scratch copy of its seed corpus, fuzz/corpus/<target>/.
# Fails on the first finding; the input that caused it is kept in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}

targets=()
for src in fuzz/*_fuzz.cpp; do
  [ -e "$src" ] && targets+=("$(basename "$src" .cpp)")
done
[ ${#targets[@]} -gt 0 ] || { echo "fuzz.sh: no fuzz targets in fuzz/"; exit 0; }

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTENFOLD_FUZZ=ON -DTENFOLD_SANITIZE=ON -DTENFOLD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/findings
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for t in "${targets[@]}"; do
  mkdir -p "$work/$t"
  [ -d "fuzz/corpus/$t" ] && cp -r "fuzz/corpus/$t/." "$work/$t/"
  echo "== $t: $seconds s"
  # An IMAGE file may declare 65535 x 65535 pixels, a 4 GiB zero-filled block that is never
  # touched: allow allocations of that size; the resident-memory limit still applies.
  if ! nice -n 10 "build-fuzz/fuzz/$t" -max_total_time="$seconds" -timeout=25 \
      -malloc_limit_mb=4200 -rss_limit_mb=2560 -print_final_stats=1 \
      -artifact_prefix="build-fuzz/findings/$t-" "$work/$t" >"$work/$t.log" 2>&1; then
    tail -n 60 "$work/$t.log"
    echo "fuzz.sh: $t found a fault; the input is in build-fuzz/findings/"
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^Done' "$work/$t.log" || true
done
echo "fuzz: ${#targets[@]} passed, 0 failed"
