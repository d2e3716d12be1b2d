# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""A single run or check takes its password from -p:, a private file, the environment or a
prompt, in that order; only -p: puts it where other local users can read it."""
import glob
import os
import threading
import unittest

from harness import BINARY, WINDOWS_PROGRAM, SimulatorCase, program_path

KDV18 = 9
SECRET = "Pw-4711-secret"


class PasswordSources(SimulatorCase):
    def password_file(self, text, mode=0o600):
        path = os.path.join(self.dir, "password")
        with open(path, "w", encoding="utf-8") as fh:
            fh.write(text)
        os.chmod(path, mode)
        return program_path(path)

    def test_each_source_reaches_the_system_and_bad_ones_are_refused(self):
        private = self.password_file(SECRET + "\n")
        cases = [
            # name, arguments, environment, exit code, words on stderr
            ("environment", [], {"QUILLMARCH_PASSWORD": SECRET}, 0, None),
            ("private file", ["--password-file", private], {}, 0, None),
            ("file before environment", ["--password-file", private],
             {"QUILLMARCH_PASSWORD": "wrong"}, 0, None),
            ("wrong password from the environment", [], {"QUILLMARCH_PASSWORD": "wrong"}, 5,
             None),
            ("-p: and a file together", [f"-p:{SECRET}", "--password-file", private], {}, 2,
             "give it one way"),
        ]
        if not WINDOWS_PROGRAM:
            shared = os.path.join(self.dir, "shared")
            with open(shared, "w", encoding="utf-8") as fh:
                fh.write(SECRET + "\n")
            os.chmod(shared, 0o644)
            cases.append(("file others may read", ["--password-file", program_path(shared)], {},
                          2, "chmod 600"))
        for name, args, env, code, words in cases:
            with self.subTest(name):
                self.start_sim(model=KDV18, password=SECRET)
                run = self.run_quillmarch("--check", *args, self.address(), password=None,
                                          extra_env=env)
                self.assertEqual(run.code, code, run.stdout + run.stderr + run.log)
                if words:
                    self.assertIn(words, run.stderr)
                    self.assertEqual(self.sim.events("connect"), [])
                self.assertNotIn(SECRET, run.stdout + run.stderr + run.log)
                self.sim.close()

    @unittest.skipIf(WINDOWS_PROGRAM or not os.path.isdir("/proc"), "reads /proc")
    def test_no_command_line_shows_the_password_during_an_update(self):
        # Every process's command line is readable by every local user; the password taken
        # from the environment appears in none of them while the update runs.
        self.start_sim(model=KDV18, password=SECRET)
        seen = set()
        done = threading.Event()

        def watch():
            while not done.is_set():
                for path in glob.glob("/proc/[0-9]*/cmdline"):
                    try:
                        with open(path, "rb") as fh:
                            seen.add(fh.read())
                    except OSError:
                        pass

        watcher = threading.Thread(target=watch)
        watcher.start()
        try:
            run = self.run_quillmarch(self.address(), password=None,
                                      extra_env={"QUILLMARCH_PASSWORD": SECRET})
        finally:
            done.set()
            watcher.join()
        self.assertEqual(run.code, 0, run.stderr + run.log)
        # The simulator is given its password as an argument; the program under test is not.
        program = os.path.basename(BINARY).encode()
        runs = [line for line in seen if program in line and b"system_sim" not in line]
        self.assertTrue(runs)  # the watcher saw the run
        self.assertEqual([line for line in runs if SECRET.encode() in line], [])
        self.assertIn("PW Length        = 14", run.log)


if __name__ == "__main__":
    unittest.main()
