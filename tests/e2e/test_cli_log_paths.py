# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Where the log of a run goes when -f: names folders, in the operator's own path form."""
import os
import unittest

from harness import WINDOWS_PROGRAM, SimulatorCase

KDV18 = 9


class LogFolders(SimulatorCase):
    def assertLogged(self, run, log_path):
        self.assertEqual(run.code, 0, run.log)
        self.assertTrue(os.path.isfile(log_path), os.listdir(self.dir))
        self.assertIn("#### DONE : success", run.records)

    def test_missing_folders_of_the_log_are_created(self):
        self.start_sim(model=KDV18)
        log_path = os.path.join(self.dir, "new", "deeper", "run.log")
        run = self.run_quillmarch("-s", self.address(), log_path=log_path)
        self.assertLogged(run, log_path)

    def test_log_name_beyond_ascii(self):
        self.start_sim(model=KDV18)
        log_path = os.path.join(self.dir, "J\u00fcrgen", "\u00e9t\u00e9.log")
        run = self.run_quillmarch("-s", self.address(), log_path=log_path)
        self.assertLogged(run, log_path)
        self.assertEqual(os.listdir(self.dir), ["J\u00fcrgen"])

    @unittest.skipUnless(WINDOWS_PROGRAM, "only Windows separates folders with backslashes")
    def test_relative_backslash_path_is_folders_under_the_current_one(self):
        self.start_sim(model=KDV18)
        log_path = os.path.join(self.dir, "logs", "site1", "run.log")
        run = self.run_quillmarch("-s", self.address(), log_arg="logs\\site1\\run.log",
                                  log_path=log_path)
        self.assertLogged(run, log_path)
        self.assertIn("-f:logs\\site1\\run.log", run.records[0])
        self.assertEqual(os.listdir(self.dir), ["logs"])  # no file named with backslashes


if __name__ == "__main__":
    unittest.main()
