#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a bounded time from
# the seed corpus in tests/fuzz/corpus. Any finding fails the script; the crashing input is
# left in build-fuzz/findings/ for a regression corpus.
#   FUZZ_SECONDS  time per target (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}

if ! command -v clang++ >/dev/null || ! dpkg -s libclang-rt-14-dev >/dev/null 2>&1; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        clang libclang-rt-14-dev >/dev/null
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DQUILLMARCH_FUZZ=ON -DQUILLMARCH_GUI=OFF -DQUILLMARCH_TESTS=OFF -DQUILLMARCH_WERROR=ON >/dev/null
targets=$(sed -n '/set(QUILLMARCH_FUZZ_TARGETS/,/)/p' tests/fuzz/CMakeLists.txt |
          tr -d '()' | tr ' ' '\n' | grep '^fuzz_')
# shellcheck disable=SC2086
cmake --build build-fuzz -j "$(nproc)" --target $targets

mkdir -p build-fuzz/findings
run_one() {
    local target=$1 seconds=$2
    local work=build-fuzz/corpus-work/$target
    rm -rf "$work" && mkdir -p "$work"
    cp tests/fuzz/corpus/"$target"/* "$work"/
    if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        build-fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=build-fuzz/findings/"$target"- \
        "$work" >build-fuzz/"$target".out 2>&1; then
        echo "fuzz $target: no finding in ${seconds}s ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' build-fuzz/"$target".out | grep -o '[0-9]*$') runs)"
    else
        echo "fuzz $target: FINDING"; tail -n 40 build-fuzz/"$target".out; return 1
    fi
}
export -f run_one
# Two at a time: one per core.
echo "$targets" | xargs -P "$(nproc)" -I{} bash -c 'run_one {} '"$seconds"
echo "Fuzzing passed."
