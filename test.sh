#!/usr/bin/env bash
# Sets up everything, builds, and runs every test: the program's tests (windows on a
# virtual display when there is none), the movie's tests, the core tests once more with
# AddressSanitizer and UndefinedBehaviorSanitizer, and the data-file reader's fuzz target.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
jobs=$(nproc)

echo "== Build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
. scripts/xvfb.sh
brennix_ensure_display
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== Core tests with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -DBRENNIX_GUI=OFF -DBRENNIX_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs" -L core

echo "== Fuzzing the data-file reader"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DBRENNIX_GUI=OFF -DBRENNIX_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_read_data_file fuzz_data_file_seeds
ctest --test-dir build-fuzz --output-on-failure -L fuzz
