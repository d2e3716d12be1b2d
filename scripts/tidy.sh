#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs clang-tidy (.clang-tidy at the root) over the engine (src/core), the command line
# (src/cli) and the GUI (src/gui, when the build has it); fails on any finding. Needs a
# configured build folder for compile_commands.json.
# Usage: scripts/tidy.sh [build-folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=${TIDY_JOBS:-$(nproc)}
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy: no $build/compile_commands.json; configure the build first" >&2
    exit 2
fi

# The GUI's sources are in the compile commands only when the build has the GUI.
gui=""
grep -q '/src/gui/' "$build/compile_commands.json" && gui=src/gui

escape() { sed 's/[.[\*^$()+?{|]/\\&/g'; }

sources=()
headers=()
while IFS= read -r file; do
    case $file in
        *.cpp) sources+=("$PWD/$file") ;;
        *.h) headers+=("$PWD/$file") ;;
    esac
done < <(find src/core src/cli $gui -type f \( -name "*.cpp" -o -name "*.h" \) | sort)

# Findings in a header count only for the headers in scope, whichever file includes them.
header_filter="^($(printf '%s\n' "${headers[@]}" | escape | paste -sd '|'))\$"
file_regex="^($(printf '%s\n' "${sources[@]}" | escape | paste -sd '|'))\$"

# The compile commands may come from GCC, whose warning options clang does not all know.
# run-clang-tidy echoes every command it starts: keep its output aside and show the findings
# (or, when it failed without one, all of it).
output=$(mktemp)
trap 'rm -f "$output"' EXIT
if run-clang-tidy -quiet -j "$jobs" -p "$build" \
    -header-filter "$header_filter" \
    -extra-arg=-Wno-unknown-warning-option \
    "$file_regex" >"$output" 2>&1; then
    echo "tidy: no findings in ${#sources[@]} sources and ${#headers[@]} headers"
else
    grep -E -A3 '(warning|error): ' "$output" | grep -v 'warnings generated' || cat "$output"
    echo "tidy: findings above" >&2
    exit 1
fi
