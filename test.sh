#!/usr/bin/env bash
# Builds everything and runs every test: first the core tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the whole suite.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRAVIK_SANITIZE=ON \
  -DTRAVIK_WERROR=ON -DTRAVIK_QT=OFF -DTRAVIK_BENCH=OFF >/dev/null
cmake --build build/sanitize -j "$jobs"
(cd build/sanitize && ctest -L core -j "$jobs" --output-on-failure --timeout 600)

cmake -S . -B build/ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAVIK_WERROR=ON >/dev/null
cmake --build build/ci -j "$jobs"
cd build/ci
QT_QPA_PLATFORM=offscreen ctest -j "$jobs" --output-on-failure --timeout 600
