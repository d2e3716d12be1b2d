# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Keeps a system simulator for a test process that can start it but not stop it or read its
output: a Windows test under wine starts Linux programs with neither a process handle nor pipes.

    sim_guard.py PORT SIMULATOR_OPTION...

Connects back to the test on 127.0.0.1:PORT, starts tools/system-sim/system_sim.py with the
options in a fresh state folder, passes the simulator's announcement line on over the connection,
and when the test closes the connection (or ends), stops the simulator, removes the state folder
and closes its end.
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading

HERE = os.path.dirname(os.path.abspath(__file__))
SIMULATOR = os.path.join(HERE, "..", "..", "tools", "system-sim", "system_sim.py")
CONNECT_LIMIT = 30  # seconds
STOP_LIMIT = 5


def drain_then_stop(connection, process):
    """Waits for the test to close its end, then stops the simulator."""
    try:
        while connection.recv(4096):
            pass
    except OSError:
        pass
    stop(process)


def stop(process):
    process.terminate()
    try:
        process.wait(STOP_LIMIT)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def main():
    port = int(sys.argv[1])
    connection = socket.create_connection(("127.0.0.1", port), timeout=CONNECT_LIMIT)
    connection.settimeout(None)
    state_dir = tempfile.mkdtemp(prefix="quillmarch-sim-")
    process = subprocess.Popen(
        [sys.executable, SIMULATOR, *sys.argv[2:], "--state-dir", state_dir],
        stdout=subprocess.PIPE, stdin=subprocess.DEVNULL)
    watcher = threading.Thread(target=drain_then_stop, args=(connection, process))
    watcher.start()
    try:
        # Empty when the simulator ended first, or was stopped because the test gave up.
        announcement = process.stdout.readline()
        connection.sendall(announcement.rstrip(b"\n") + b"\n")
    except OSError:
        pass
    finally:
        watcher.join()
        process.stdout.close()
        shutil.rmtree(state_dir, ignore_errors=True)
        connection.close()


if __name__ == "__main__":
    main()
