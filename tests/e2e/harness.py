# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs the real quillmarch executable against the system simulator."""
import getpass
import hashlib
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import unittest
from unittest import mock

SOURCE_DIR = os.environ.get(
    "QUILLMARCH_SOURCE_DIR",
    os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
sys.path.insert(0, os.path.join(SOURCE_DIR, "tools", "system-sim"))
import simctl  # noqa: E402

BINARY = os.environ.get("QUILLMARCH_BIN", os.path.join(SOURCE_DIR, "build", "quillmarch"))
PAYLOADS = os.environ.get("QUILLMARCH_PAYLOADS", os.path.join(SOURCE_DIR, "build", "payloads"))
# A program built for another system (quillmarch.exe) starts through QUILLMARCH_RUNNER (e.g.
# wine), and the paths handed to it go through QUILLMARCH_PATH_COMMAND (e.g. "winepath -w").
RUNNER = shlex.split(os.environ.get("QUILLMARCH_RUNNER", ""))
PATH_COMMAND = shlex.split(os.environ.get("QUILLMARCH_PATH_COMMAND", ""))
WINDOWS_PROGRAM = BINARY.lower().endswith(".exe")
# Every fixed wait of a run is scaled by this: 20 s pauses take 0.2 s, the 282 s reboot
# wait under 3 s.
TIME_SCALE = "0.01"
RECORD = re.compile(r"^\d\d/\d\d/\d\d \d\d:\d\d:\d\d : ", re.M)


def payload_sha256(payload_id):
    with open(os.path.join(PAYLOADS, f"{payload_id}.bin"), "rb") as fh:
        return hashlib.sha256(fh.read()).hexdigest()


def program_path(path):
    """path as the program under test names it."""
    if not PATH_COMMAND:
        return path
    done = subprocess.run([*PATH_COMMAND, path], capture_output=True, text=True, check=True,
                          timeout=60)
    return done.stdout.strip()


def records(log_text):
    """The log's record texts (a record may span lines)."""
    starts = [m.start() for m in RECORD.finditer(log_text)] + [len(log_text)]
    return [log_text[a:b].split(" : ", 1)[1].rstrip("\n") for a, b in zip(starts, starts[1:])]


class Run:
    def __init__(self, code, stdout, stderr, log_text):
        self.code = code
        self.stdout = stdout
        self.stderr = stderr
        self.log = log_text
        self.records = records(log_text)


class SimulatorCase(unittest.TestCase):
    """One simulator per test; the run's log goes into the test's own folder."""

    sim_options = {}

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="qm-e2e-")
        self.addCleanup(shutil.rmtree, self.dir, True)
        # The program's cache (a lock file per address, fallback work folders) goes into a
        # folder of the test's, not into the user's ~/.cache where it would pile up run after
        # run; apart from self.dir, whose listing tests check.
        cache = tempfile.mkdtemp(prefix="qm-e2e-cache-")
        self.addCleanup(shutil.rmtree, cache, True)
        patcher = mock.patch.dict(os.environ, {"XDG_CACHE_HOME": cache})
        patcher.start()
        self.addCleanup(patcher.stop)
        self.sim = None

    def start_sim(self, **options):
        merged = dict(password="secret", time_scale="0.05", restart_delay="1")
        merged.update(options)
        self.sim = simctl.start(**merged)
        self.addCleanup(self.sim.close)
        return self.sim

    def address(self):
        return f"127.0.0.1:{self.sim.ftp_port}"

    def run_quillmarch(self, *args, password="secret", quiet=True, timeout=120, log_arg=None,
                       log_path=None, extra_env=None):
        """log_arg is the -f: text when it is not the path of log_path (the run's log)."""
        log_path = log_path or os.path.join(self.dir, "run.log")
        argv = [*RUNNER, BINARY]
        if quiet:
            argv.append("-q")
        if password is not None:
            argv.append(f"-p:{password}")
        argv += [f"-f:{log_arg or program_path(log_path)}", *args]
        env = dict(os.environ, QUILLMARCH_TIME_SCALE=TIME_SCALE,
                   QUILLMARCH_PAYLOADS=program_path(PAYLOADS))
        env.update(extra_env or {})
        done = subprocess.run(argv, cwd=self.dir, env=env, capture_output=True, text=True,
                              timeout=timeout)
        log_text = ""
        if os.path.exists(log_path):
            with open(log_path, encoding="utf-8", errors="replace", newline="") as fh:
                log_text = fh.read()
        return Run(done.returncode, done.stdout, done.stderr, log_text)

    def commands(self):
        return [e["line"] for e in self.sim.events("command")]

    def uploads(self):
        return {e["name"]: e for e in self.sim.events("upload")}

    def assertInOrder(self, items, expected):
        """expected appear in items in this order (other items may come between)."""
        position = 0
        for wanted in expected:
            try:
                position = items.index(wanted, position) + 1
            except ValueError:
                self.fail(f"{wanted!r} not found in order in {items!r}")

    @staticmethod
    def user_name():
        return getpass.getuser()
