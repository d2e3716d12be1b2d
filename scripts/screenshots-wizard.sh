#!/usr/bin/env bash
# Pictures of the welcome dialog and of every wizard page, taken against the bundled system
# simulator without a display (Qt's offscreen platform), into docs/screenshots/wizard-*.png.
#
# The pictures come from the whole-walk GUI test (tests/gui/test_wizard_walk.cpp): when
# QUILLMARCH_SCREENSHOT_DIR is set it grabs the welcome dialog, each page of a Typical walk
# (after the operator's input, before Next), and the pages of a Custom walk that differ
# ("-custom"). The four settings pages come from the settings walks
# (tests/gui/test_settings_run.cpp), one per group of settings.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUILLMARCH_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target test_wizard_walk test_settings_run payloads >/dev/null
out="$PWD/docs/screenshots"
mkdir -p "$out"
rm -f "$out"/wizard-*.png
QT_QPA_PLATFORM=offscreen QUILLMARCH_SCREENSHOT_DIR="$out" \
    "$build/tests/test_wizard_walk" -silent
# The settings walks' update runs would also photograph the progress window; only their
# wizard pages are kept.
settings_shots=$(mktemp -d)
trap 'rm -rf "$settings_shots"' EXIT
QT_QPA_PLATFORM=offscreen QUILLMARCH_SCREENSHOT_DIR="$settings_shots" \
    "$build/tests/test_settings_run" -silent
cp "$settings_shots"/wizard-*.png "$out"/
ls -1 "$out"/wizard-*.png
