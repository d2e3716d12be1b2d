#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds with warnings as errors, and runs every test; then the same suite under
# AddressSanitizer + UndefinedBehaviorSanitizer; then the engine without Qt under
# ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
# Stage durations for .ci/run's summary, when it asks.
stage_time() {
    [ -z "${QUILLMARCH_STAGE_TIMES:-}" ] || printf '%s\t%d\n' "$1" $((SECONDS - mark)) >>"$QUILLMARCH_STAGE_TIMES"
    mark=$SECONDS
}
mark=$SECONDS
bash scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMARCH_WERROR=ON
# Fast checks first: every file's licence, formatting, then clang-tidy on the engine and the
# command line.
reuse lint
cmake --build build --target format-check
bash scripts/tidy.sh build
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
stage_time "Build and tests (setup, checks)"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMARCH_WERROR=ON -DQUILLMARCH_SANITIZE=ON
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
stage_time "ASan + UBSan build and tests"
# The engine and the command line without Qt, under ThreadSanitizer: the unit tests (the fleet
# runner, the progress protocol, the run's watchdogs) and the fleet end to end, whose systems
# run on threads of their own. Any report fails its test (TSan's exit code).
cmake -S . -B build-nogui -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMARCH_WERROR=ON -DQUILLMARCH_GUI=OFF \
    -DQUILLMARCH_TSAN=ON
cmake --build build-nogui -j "$jobs"
TSAN_OPTIONS=second_deadlock_stack=1 \
    ctest --test-dir build-nogui --output-on-failure -j "$jobs" -R '^([A-Z]|e2e_fleet)'
stage_time "No-GUI build and tests (ThreadSanitizer)"
echo "All tests passed (plain, sanitizer and no-GUI ThreadSanitizer builds)."
