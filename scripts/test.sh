#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds with warnings as errors, and runs every test; then the same suite under
# AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
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

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMARCH_WERROR=ON -DQUILLMARCH_SANITIZE=ON
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
# The engine and the command line without Qt.
cmake -S . -B build-nogui -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMARCH_WERROR=ON -DQUILLMARCH_GUI=OFF
cmake --build build-nogui -j "$jobs"
ctest --test-dir build-nogui --output-on-failure -j "$jobs" -R '^[A-Z]'
echo "All tests passed (plain, sanitizer and no-GUI builds)."
