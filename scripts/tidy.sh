#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy at the root) over the engine (src/core) and the command line
# (src/cli); fails on any finding. Needs a configured build folder for compile_commands.json.
# Usage: scripts/tidy.sh [build-folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=${TIDY_JOBS:-$(nproc)}
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy: no $build/compile_commands.json; configure the build first" >&2
    exit 2
fi

# TEMPORARY: folders and files under rework, left out until that work lands (their findings are
# listed apart). Remove entries here as they are brought clean; the goal is an empty list.
excluded=(
    src/core/job/
    src/core/run/UpdateRun
    src/core/progress/
    src/cli/TerminalProgress
    src/core/device/
    src/core/provisioning/
)

is_excluded() {
    local entry
    for entry in "${excluded[@]}"; do
        [[ $1 == "$entry"* ]] && return 0
    done
    return 1
}

escape() { sed 's/[.[\*^$()+?{|]/\\&/g'; }

sources=()
headers=()
while IFS= read -r file; do
    is_excluded "$file" && continue
    case $file in
        *.cpp) sources+=("$PWD/$file") ;;
        *.h) headers+=("$PWD/$file") ;;
    esac
done < <(find src/core src/cli -type f \( -name "*.cpp" -o -name "*.h" \) | sort)

# Findings in a header count only for the headers in scope, whichever file includes them.
header_filter="^($(printf '%s\n' "${headers[@]}" | escape | paste -sd '|'))\$"
file_regex="^($(printf '%s\n' "${sources[@]}" | escape | paste -sd '|'))\$"

# The compile commands may come from GCC, whose warning options clang does not all know.
run-clang-tidy -quiet -j "$jobs" -p "$build" \
    -header-filter "$header_filter" \
    -extra-arg=-Wno-unknown-warning-option \
    "$file_regex"
