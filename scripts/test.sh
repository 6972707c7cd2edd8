#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal build, and the unit
# tests again in a second build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

JOBS=$(nproc)
export QT_QPA_PLATFORM=offscreen
export LC_ALL=C.UTF-8

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$JOBS"
ctest --test-dir build --output-on-failure -j"$JOBS"

# Sanitizer pass: same tests, a second tree, no benchmarks.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOFX_SANITIZE=ON -DOFX_BUILD_BENCH=OFF
cmake --build build-asan -j"$JOBS"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$JOBS"
