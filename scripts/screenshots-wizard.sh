#!/usr/bin/env bash
# Pictures of the welcome dialog and of every wizard page, taken against the bundled system
# simulator without a display (Qt's offscreen platform), into docs/screenshots/wizard-*.png.
#
# The pictures come from the whole-walk GUI test (tests/gui/test_wizard_walk.cpp): when
# QUILLMARCH_SCREENSHOT_DIR is set it grabs the welcome dialog, each page of a Typical walk
# (after the operator's input, before Next), the finished progress window, and the pages of
# a Custom walk that differ ("-custom"), including the stand-in for the LAN settings page.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUILLMARCH_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target test_wizard_walk payloads >/dev/null
out="$PWD/docs/screenshots"
mkdir -p "$out"
rm -f "$out"/wizard-*.png
QT_QPA_PLATFORM=offscreen QUILLMARCH_SCREENSHOT_DIR="$out" \
    "$build/tests/test_wizard_walk" -silent
ls -1 "$out"/wizard-*.png
