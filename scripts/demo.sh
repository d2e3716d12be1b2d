#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds, starts the bundled system simulator on loopback and runs a full quiet
# software update against it; prints the outcome and where the log is.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_log=$(mktemp)
if ! { cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLMARCH_TESTS=OFF &&
       cmake --build build-release -j "$(nproc)" --target quillmarch payloads; } >"$build_log" 2>&1; then
    cat "$build_log"; echo "build failed"; exit 1
fi
rm -f "$build_log"

out="$PWD/out"
mkdir -p "$out"
state=$(mktemp -d)
ready="$state/ready.json"
# Model 9 is a "KDV 18"; every wait of the simulator and of the run is scaled down.
/usr/bin/python3 tools/system-sim/system_sim.py --model 9 --password admin \
    --time-scale 0.05 --restart-delay 1 --state-dir "$state/system" \
    --ready-file "$ready" >/dev/null 2>"$state/sim.err" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$state"' EXIT
for _ in $(seq 100); do [ -s "$ready" ] && break; sleep 0.1; done
[ -s "$ready" ] || { echo "the simulator did not start:"; cat "$state/sim.err"; exit 1; }
port=$(/usr/bin/python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["ftp_port"])' "$ready")

echo "Simulated Tessary system listening on 127.0.0.1:$port"
# The sample images, named: the program never takes them on its own.
# The password goes in the environment, where other local users cannot read it (-p: would
# show it in the process list).
echo "Running: QUILLMARCH_PASSWORD=***** quillmarch -q -f:$out/demo.log --images build-release/payloads 127.0.0.1:$port"
status=0
QUILLMARCH_PASSWORD=admin QUILLMARCH_TIME_SCALE=0.01 ./build-release/quillmarch -q -f:"$out/demo.log" --images build-release/payloads "127.0.0.1:$port" || status=$?
echo
grep -E "#### DONE|Put Image|System is in update mode|Failure" "$out/demo.log" || true
echo
echo "Exit code: $status"
echo "Log: $out/demo.log"
exit $status
