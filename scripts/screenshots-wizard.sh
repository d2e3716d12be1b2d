#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Pictures of the welcome dialog and of every wizard page, taken against the bundled system
# simulator, into docs/screenshots/wizard-*.png.
#
# The pictures come from the whole-walk GUI test (tests/gui/test_wizard_walk.cpp): when
# QUILLMARCH_SCREENSHOT_DIR is set it grabs the welcome dialog, each page of a Typical walk
# (after the operator's input, before Next), and the pages of a Custom walk that differ
# ("-custom"). The four settings pages come from the settings walks
# (tests/gui/test_settings_run.cpp), one per group of settings. The three endings of a run in
# the progress window (progress-ending-success/failure/stopped.png) come from the whole walk
# and from tests/gui/test_progress_run.cpp.
set -euo pipefail
cd "$(dirname "$0")/.."
# Usage: scripts/screenshots-wizard.sh [SCALE]   SCALE 2 takes the high-DPI set
# (QT_SCALE_FACTOR=2) into docs/screenshots/2x/. Taken on a virtual X display (Xvfb) so that
# the pictures show the X11 platform's fonts and styles; needs Debian's xvfb (xvfb-run).
scale=${1:-1}
build=${QUILLMARCH_BUILD_DIR:-build}
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (Debian package xvfb)"; exit 1; }
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target test_wizard_walk test_settings_run test_progress_run payloads \
    >/dev/null
out="$PWD/docs/screenshots"
[ "$scale" = 1 ] || out="$out/${scale}x"
mkdir -p "$out"
rm -f "$out"/wizard-*.png "$out"/progress-ending-*.png
run() {
    QT_SCALE_FACTOR="$scale" QUILLMARCH_SCREENSHOT_DIR="$1" \
        xvfb-run -a -s "-screen 0 1600x1200x24" "$2" -silent
}
run "$out" "$build/tests/test_wizard_walk"
run "$out" "$build/tests/test_settings_run"
run "$out" "$build/tests/test_progress_run"
ls -1 "$out"/wizard-*.png "$out"/progress-ending-*.png
