# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The log and the report go only to plain files in folders that take them; anything else is
refused before the system is contacted, and nothing is left behind."""
import os
import stat
import subprocess
import unittest

from harness import BINARY, PAYLOADS, RUNNER, TIME_SCALE, WINDOWS_PROGRAM, SimulatorCase

KDV18 = 9


@unittest.skipIf(WINDOWS_PROGRAM, "device nodes and pipes")
class OutputPlaces(SimulatorCase):
    def test_places_that_are_not_plain_files_are_refused_before_contact(self):
        self.start_sim(model=KDV18)
        fifo = os.path.join(self.dir, "fifo")
        os.mkfifo(fifo)
        folder = os.path.join(self.dir, "a folder")
        os.mkdir(folder)
        log = os.path.join(self.dir, "run.log")
        plain = "not a plain file"
        cases = [
            ("report in a missing folder", [f"-f:{log}", "--report", "/nonexistent/r.json"],
             "does not exist"),
            ("report on a pipe", [f"-f:{log}", "--report", fifo], plain),
            ("report on a folder", [f"-f:{log}", "--report", folder], plain),
            ("report names the log", [f"-f:{log}", "--report", log], "names the log file"),
            ("log on a pipe", [f"-f:{fifo}"], plain),
        ]
        devices = []
        if os.geteuid() == 0:
            # Copies of /dev/null and /dev/full of the test's own: a program that replaced
            # them would break nothing else on the machine.
            for name, minor in (("null", 3), ("full", 7)):
                node = os.path.join(self.dir, name)
                os.mknod(node, 0o666 | stat.S_IFCHR, os.makedev(1, minor))
                devices.append(node)
            cases += [("report on a device", [f"-f:{log}", "--report", devices[0]], plain),
                      ("log on a device", [f"-f:{devices[1]}"], plain)]
        env = dict(os.environ, QUILLMARCH_TIME_SCALE=TIME_SCALE, QUILLMARCH_PAYLOADS=PAYLOADS)
        for name, args, reason in cases:
            with self.subTest(name):
                before = sorted(os.listdir(self.dir))
                done = subprocess.run([*RUNNER, BINARY, "-q", "-p:secret", *args, self.address()],
                                      cwd=self.dir, env=env, capture_output=True, text=True,
                                      timeout=30)
                self.assertEqual(done.returncode, 2, done.stderr)
                self.assertIn(reason, done.stderr)
                self.assertEqual(sorted(os.listdir(self.dir)), before)
                self.assertEqual(self.sim.events("connect"), [])
        for node in devices:
            self.assertTrue(stat.S_ISCHR(os.stat(node).st_mode), node)


if __name__ == "__main__":
    unittest.main()
