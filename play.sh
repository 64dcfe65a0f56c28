#!/usr/bin/env bash
# Builds tenfold (and its data.dat) and plays it. Settings: see the README.
set -euo pipefail
cd "$(dirname "$0")"
scripts/need-packages play
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTENFOLD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
cd build
exec ./tenfold
