# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""--report on update runs: written for success, failure and an interrupted run, always valid."""
import os
import signal
import subprocess
import time
import unittest

from harness import (BINARY, PAYLOADS, RUNNER, TIME_SCALE, WINDOWS_PROGRAM, SimulatorCase,
                     program_path)
from report_schema import load_valid_report

KDV18 = 9


class RunReport(SimulatorCase):
    def report_of(self, path):
        with open(path, encoding="utf-8") as fh:
            return load_valid_report(self, fh.read())

    def test_successful_update(self):
        self.start_sim(model=KDV18)
        path = os.path.join(self.dir, "report.json")
        run = self.run_quillmarch("--report", path, self.address())
        self.assertEqual(run.code, 0, run.log)
        report = self.report_of(path)
        self.assertEqual((report["result"], report["exit_code"], report["failure"]),
                         ("success", 0, None))
        self.assertEqual(report["before"]["software_version"], "9.0.5")
        self.assertEqual(report["before"]["mode"], "NORMAL")
        # Verified by default: the run looked at the system after its restart.
        self.assertEqual(report["after"]["mode"], "NORMAL")
        names = [t["name"] for t in report["tasks"]]
        self.assertEqual(names[1:], ["Update Mode", "Main Image", "Waiting for reboot",
                                     "Verifying the update"])
        self.assertTrue(names[0].startswith("Retaining : "))
        self.assertEqual({t["outcome"] for t in report["tasks"]}, {"done"})
        self.assertEqual(report["verification"]["outcome"], "verified")
        self.assertIs(report["options"]["verify"], True)

    def test_failed_logon(self):
        self.start_sim(model=KDV18)
        path = os.path.join(self.dir, "report.json")
        run = self.run_quillmarch("--report", path, self.address(), password="wrong")
        self.assertEqual(run.code, 1, run.log)
        report = self.report_of(path)
        self.assertEqual(report["result"], "failure")
        self.assertEqual(report["failure"]["code"], "logon_refused")
        self.assertEqual(report["failure"]["reason"], "Cannot connect to system: Wrong password")
        self.assertNotIn("wrong", open(path, encoding="utf-8").read())

    @unittest.skipIf(WINDOWS_PROGRAM, "POSIX signals")
    def test_interrupted_run_still_leaves_a_whole_report(self):
        self.start_sim(model=KDV18)
        path = os.path.join(self.dir, "report.json")
        # A slower clock than the other tests', so the reboot wait is certainly running.
        env = dict(os.environ, QUILLMARCH_TIME_SCALE=str(float(TIME_SCALE) * 10),
                   QUILLMARCH_PAYLOADS=program_path(PAYLOADS))
        proc = subprocess.Popen([*RUNNER, BINARY, "-q", "-p:secret",
                                 f"-f:{program_path(os.path.join(self.dir, 'run.log'))}",
                                 "--report", program_path(path), self.address()],
                                cwd=self.dir, env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True)
        deadline = time.monotonic() + 60
        while not [e for e in self.sim.events("upload") if e["name"] == "BRAMBLE"]:
            self.assertIsNone(proc.poll(), "the run ended before its image went up")
            self.assertLess(time.monotonic(), deadline)
            time.sleep(0.01)
        proc.send_signal(signal.SIGINT)
        _, err = proc.communicate(timeout=60)
        self.assertEqual(proc.returncode, 130, err)
        report = self.report_of(path)
        self.assertEqual((report["result"], report["exit_code"]), ("interrupted", 130))
        self.assertEqual(report["failure"]["code"], "interrupted")
        self.assertEqual(report["tasks"][-1]["name"], "Waiting for reboot")
        self.assertEqual(report["tasks"][-1]["outcome"], "unfinished")
        self.assertEqual([n for n in os.listdir(self.dir) if "report" in n], ["report.json"])
