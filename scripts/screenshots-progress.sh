#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Pictures of the progress window for the documentation: runs a command-line update (not quiet)
# against the bundled system simulator on a virtual X display (Xvfb) and saves two PNG files,
# docs/screenshots/progress-upload.png (during the image upload) and
# docs/screenshots/progress-finished.png (the finished run).
#
# The pictures are taken from outside the window: quillmarch_progress_screenshots
# (tests/gui/screenshots) is the program plus a photographer that saves what the window shows
# into QUILLMARCH_SCREENSHOT_DIR when a transfer passes 40 % and when the run is finished, and
# then presses OK.
#
# Usage: scripts/screenshots-progress.sh [BUILD_DIR [SCALE]]   (default: build, configured and
# built here when needed; SCALE 2 takes the high-DPI pictures, QT_SCALE_FACTOR=2, into
# docs/screenshots/2x/). Needs Debian's xvfb (xvfb-run) and /usr/bin/python3 with pyftpdlib.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scale=${2:-1}
out="$PWD/docs/screenshots"
[ "$scale" = 1 ] || out="$out/${scale}x"

command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (Debian package xvfb)"; exit 1; }
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target quillmarch_progress_screenshots >/dev/null

state=$(mktemp -d)
sim=""
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; wait 2>/dev/null; rm -rf "$state"' EXIT

# A larger sample image than the build's, so the upload shows a few thousand KB.
/usr/bin/python3 payloads/make_payloads.py --out "$state/payloads" --image-size 6000000 >/dev/null

# Model 9 (a "KDV 18"); its restarts are scaled down like the run's waits.
ready="$state/ready.json"
/usr/bin/python3 tools/system-sim/system_sim.py --model 9 --password admin --time-scale 0.05 \
    --restart-delay 1 --state-dir "$state/system" --ready-file "$ready" \
    >/dev/null 2>"$state/sim.err" &
sim=$!
for _ in $(seq 100); do [ -s "$ready" ] && break; sleep 0.1; done
[ -s "$ready" ] || { echo "the simulator did not start:"; cat "$state/sim.err"; exit 1; }
port=$(/usr/bin/python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["ftp_port"])' "$ready")

mkdir -p "$out"
rm -f "$out/progress-upload.png" "$out/progress-finished.png"
status=0
QT_SCALE_FACTOR="$scale" QUILLMARCH_SCREENSHOT_DIR="$out" QUILLMARCH_TIME_SCALE=0.05 QUILLMARCH_PAYLOADS="$state/payloads" \
    xvfb-run -a -s "-screen 0 1600x1200x24" \
    "$build/tests/quillmarch_progress_screenshots" -p:admin -f:"$state/run.log" "127.0.0.1:$port" || status=$?
grep -E "#### DONE" "$state/run.log" || true

missing=0
for picture in progress-upload.png progress-finished.png; do
    if [ -s "$out/$picture" ]; then echo "saved $out/$picture"; else echo "missing: $picture"; missing=1; fi
done
[ "$status" -eq 0 ] || echo "the update ended with exit code $status"
exit $((missing || status))
