# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Data safety end to end: the real executable against a hostile simulator. Each case checks
what reached the system (the journal), what was left on the local disk, and the exit code."""
import fcntl
import os
import subprocess
import time
import unittest
from unittest import mock

from harness import BINARY, PAYLOADS, RUNNER, WINDOWS_PROGRAM, SimulatorCase, program_path

KDV18 = 9  # section-image group
KDV14 = 5  # older group: IMAGE1, then the dummy IMAGE0


def local_files(folder):
    found = []
    for root, _dirs, files in os.walk(folder):
        found += [os.path.relpath(os.path.join(root, name), folder) for name in files]
    return sorted(found)


class DataSafetyCase(SimulatorCase):
    def setUp(self):
        super().setUp()
        # The run's own cache (locks, fallback work folders) inside the test's folder.
        self.cache = os.path.join(self.dir, "cache")
        patcher = mock.patch.dict(os.environ, {"XDG_CACHE_HOME": self.cache})
        patcher.start()
        self.addCleanup(patcher.stop)

    def assertFailed(self, run):
        self.assertEqual(run.code, 1, run.log)
        self.assertIn("#### DONE : failure", run.records)

    def lock_path(self):
        name = self.address().replace(".", "_").replace(":", "_")
        return os.path.join(self.cache, "quillmarch", "locks", name + ".lock")


class OneRunPerSystem(DataSafetyCase):
    @unittest.skipIf(WINDOWS_PROGRAM, "the lock is held with flock here; Windows locks differ")
    def test_a_second_run_refuses_to_start_and_leaves_the_system_alone(self):
        self.start_sim(model=KDV18)
        path = self.lock_path()
        os.makedirs(os.path.dirname(path), mode=0o700)
        with open(path, "w") as held:
            fcntl.flock(held, fcntl.LOCK_EX | fcntl.LOCK_NB)  # a first run holds the system
            run = self.run_quillmarch(self.address())
        self.assertFailed(run)
        self.assertTrue(any(r.startswith("Another run is updating the system " + self.address())
                            for r in run.records), run.log)
        self.assertEqual(self.sim.events("connect"), [])
        self.assertEqual(self.sim.events("command"), [])
        self.assertIn("Another run is updating the system", run.stderr)

    def test_two_runs_at_once_one_updates_the_other_refuses(self):
        # Restarts of 10 s (real): the runs watch them, so the first run holds the system for
        # about 20 s, surely still while the second starts, however slowly (wine).
        self.start_sim(model=KDV18, restart_delay="200")
        first_log = os.path.join(self.dir, "first.log")
        env = dict(os.environ, QUILLMARCH_TIME_SCALE="0.05",
                   QUILLMARCH_PAYLOADS=program_path(PAYLOADS))
        first = subprocess.Popen([*RUNNER, BINARY, "-q", "-p:secret",
                                  f"-f:{program_path(first_log)}", self.address()],
                                 cwd=self.dir, env=env)
        self.addCleanup(first.kill)
        self.sim.wait_for("login", timeout=30)
        logins = len(self.sim.events("login"))
        second = self.run_quillmarch(self.address())
        self.assertEqual(len(self.sim.events("login")), logins)  # the second never logged on
        self.assertEqual(first.wait(timeout=120), 0)
        self.assertFailed(second)
        self.assertEqual([e["name"] for e in self.sim.events("upload")].count("BRAMBLE"), 1)
        # Once the first run is over, the next one may start.
        # At the first run's time scale: the slow restarts fit its bounds.
        third = self.run_quillmarch(self.address(), log_path=os.path.join(self.dir, "third.log"),
                                    extra_env={"QUILLMARCH_TIME_SCALE": "0.05"})
        self.assertEqual(third.code, 0, third.log)


class BoundedReads(DataSafetyCase):
    def test_a_huge_model_file_is_refused_and_nothing_is_sent(self):
        self.start_sim(model=KDV18, flag_model="")
        with open(self.sim.path("model.dat"), "w") as fh:
            fh.write(" " * (2 << 20) + "KDV 18 9.0")
        run = self.run_quillmarch(self.address())
        self.assertFailed(run)
        self.assertIn("FTP: File too large - model.dat (more than 4096 bytes)", run.records)
        self.assertEqual(self.sim.events("upload"), [])
        self.assertNotIn("SWUS", [e["line"] for e in self.sim.events("command")])

    def test_an_endless_model_file_ends_at_its_limit(self):
        self.start_sim(model=KDV18, flag_model="", fault=["endless-file:model.dat"])
        started = time.monotonic()
        run = self.run_quillmarch(self.address(), timeout=60)
        self.assertLess(time.monotonic() - started, 30)
        self.assertFailed(run)
        self.assertIn("FTP: File too large - model.dat (more than 4096 bytes)", run.records)
        self.assertEqual(self.sim.events("upload"), [])

    def test_a_huge_settings_file_is_not_rewritten_and_the_update_goes_on(self):
        self.start_sim(model=KDV18)
        with open(self.sim.path("gateway.dat"), "w") as fh:
            fh.write("  10.0.0.1  " + "x" * 100000)
        run = self.run_quillmarch(self.address())
        self.assertEqual(run.code, 0, run.log)
        self.assertIn("FTP: File too large - gateway.dat (more than 4096 bytes)", run.records)
        self.assertNotIn("gateway.dat", self.uploads())
        self.assertIn("BRAMBLE", self.uploads())

    def test_the_image_goes_up_without_a_copy_on_the_local_disk(self):
        self.start_sim(model=KDV18)
        run = self.run_quillmarch(self.address())
        self.assertEqual(run.code, 0, run.log)
        self.assertTrue(self.uploads()["BRAMBLE"]["complete"])
        leftovers = [f for f in local_files(self.dir) if not f.startswith("run")]
        # Not even the system's lock file stays: the run removes it as it lets go.
        self.assertEqual(leftovers, [])
        self.assertFalse(os.path.exists(self.lock_path()))


class OlderGroupWithoutImage(DataSafetyCase):
    def test_a_refused_image_fails_the_run_and_no_dummy_follows(self):
        self.start_sim(model=KDV14, fault=["drop-upload:65536"])
        run = self.run_quillmarch(self.address())
        self.assertFailed(run)
        self.assertIn("Put Image Failure", run.records)
        names = [e["name"] for e in self.sim.events("upload")]
        self.assertIn("IMAGE1", names)
        self.assertNotIn("IMAGE0", names)


if __name__ == "__main__":
    unittest.main()
