# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""What the command line and the log promise a script: refusals before anything is sent, logs
that are never lost, passwords that never leak, stops that end cleanly, reasons that are true."""
import fcntl
import gzip
import os
import shutil
import signal
import subprocess
import time
import unittest

from harness import (BINARY, PAYLOADS, RUNNER, TIME_SCALE, WINDOWS_PROGRAM, SimulatorCase,
                     program_path, records)

KDV18 = 9  # section-image group, image 156
# 100 kB; Windows refuses command lines beyond 32767 characters before a program starts.
LONG = 30_000 if WINDOWS_PROGRAM else 100_000
STARS = "*******************************"
CLOSING = STARS + "Finish Update" + STARS


class TruthCase(SimulatorCase):
    """Runs with argv given whole, a private temporary folder and extra environment."""

    def setUp(self):
        super().setUp()
        self.tmp = os.path.join(self.dir, "tmp")
        os.mkdir(self.tmp)

    def env(self, **extra):
        env = dict(os.environ, QUILLMARCH_TIME_SCALE=TIME_SCALE,
                   QUILLMARCH_PAYLOADS=program_path(PAYLOADS))
        # Wine keeps its own files in TMPDIR and gives the program its own temporary folder.
        if not WINDOWS_PROGRAM:
            env["TMPDIR"] = self.tmp
        env.update(extra)
        return env

    def start(self, *args, **env):
        return subprocess.Popen([*RUNNER, BINARY, *args], cwd=self.dir, env=self.env(**env),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def run_args(self, *args, timeout=120, **env):
        done = subprocess.run([*RUNNER, BINARY, *args], cwd=self.dir, env=self.env(**env),
                              capture_output=True, text=True, timeout=timeout)
        return done.returncode, done.stdout, done.stderr

    def log_records(self, path):
        with open(path, encoding="utf-8", errors="replace", newline="") as fh:
            return records(fh.read())

    def journal_commands(self):
        return [e["line"] for e in self.sim.events("command")] if self.sim else []


class BadCommandLines(TruthCase):
    def test_refused_before_anything_is_sent(self):
        self.start_sim(model=KDV18)
        address = self.address()
        cases = [
            (["--dry-run", address], '"--dry-run"'),
            ([address, "--checkup"], '"--checkup"'),
            (["-t:abc", address], '"-t:abc"'),
            (["-quiet", address], '"-quiet"'),
            ([address, "127.0.0.1:21"], "second address"),
            (["-p:" + "x" * LONG, address], "longer than 1024"),
        ]
        for args, named in cases:
            with self.subTest(args=[a[:20] for a in args]):
                code, _, err = self.run_args("-q", "-f:run.log", *args)
                self.assertEqual(code, 2, err)
                self.assertIn(named, err)
                self.assertIn("Usage: quillmarch", err)
                self.assertNotIn("x" * 64, err)
        self.assertEqual(self.journal_commands(), [])
        self.assertEqual(os.listdir(self.dir), ["tmp"])
        self.assertEqual(os.listdir(self.tmp), [])

    def test_long_forms_work_and_options_may_follow_the_address(self):
        self.start_sim(model=KDV18)
        code, _, err = self.run_args(self.address(), "--quiet", "--passive", "-s", "-p:secret",
                                     "-f:run.log")
        self.assertEqual(code, 0, err)
        lines = self.log_records(os.path.join(self.dir, "run.log"))
        self.assertIn("\tQuiteMode        = TRUE", lines[2])
        self.assertIn("PASV", self.journal_commands())


class Passwords(TruthCase):
    PASSWORD = "a b \"c\" 'd' -q 10.9.9.9"

    def all_written_text(self):
        """Every file the run may have written: its folder, the temporary folder, the work
        folder next to the program, the system's files and journal."""
        folders = [self.dir, self.sim.state_dir]
        work = os.path.join(os.path.dirname(BINARY), f"127_0_0_1_{self.sim.ftp_port}")
        folders += [work] if os.path.isdir(work) else []
        for folder in folders:
            for root, _, names in os.walk(folder):
                for name in names:
                    path = os.path.join(root, name)
                    with open(path, "rb") as fh:
                        yield path, fh.read()

    def test_password_with_blanks_and_quotes_is_used_whole_and_never_written(self):
        self.start_sim(model=KDV18, password=self.PASSWORD)
        code, out, err = self.run_args("-s", "-p:" + self.PASSWORD, "-f:run.log", self.address())
        self.assertEqual(code, 0, err)  # the system took the whole argument as its password
        self.assertIn("PASS ****", self.journal_commands())
        for text in (out, err):
            self.assertNotIn("10.9.9.9", text)
        for path, data in self.all_written_text():
            for piece in (self.PASSWORD, "'d'", '"c"', "10.9.9.9"):
                self.assertNotIn(piece.encode(), data, path)
        lines = self.log_records(os.path.join(self.dir, "run.log"))
        self.assertEqual(lines[0], f"Command Line: -s -p:**** -f:run.log {self.address()}")
        self.assertIn("\tPW Length        = 23\r\n", lines[2])

    def test_long_password_is_refused_and_goes_nowhere(self):
        self.start_sim(model=KDV18)
        password = "Zq" * (LONG // 2)
        code, out, err = self.run_args("-q", "-p:" + password, self.address())
        self.assertEqual(code, 2, err)
        self.assertIn("the password is longer than 1024 characters", err)
        for text in (out, err):
            self.assertNotIn("ZqZq", text)
        self.assertEqual(self.journal_commands(), [])
        self.assertEqual(os.listdir(self.dir), ["tmp"])


class LogFiles(TruthCase):
    def test_three_runs_keep_the_newest_two_logs(self):
        self.start_sim(model=KDV18)
        log = os.path.join(self.dir, "run.log")
        for run in range(3):
            code, _, err = self.run_args("-q", "-s", "-p:secret", f"-f:{program_path(log)}",
                                         self.address(), f"-t:{run + 1}")
            self.assertEqual(code, 0, err)
        self.assertIn("-t:3", self.log_records(log)[0])
        self.assertIn("-t:2", self.log_records(os.path.join(self.dir, "run_bak.log"))[0])
        # The log's lock goes with the run that held it.
        self.assertEqual(sorted(os.listdir(self.dir)), ["run.log", "run_bak.log", "tmp"])
        self.assertEqual(os.listdir(self.tmp), [])

    @unittest.skipIf(WINDOWS_PROGRAM, "wine chooses the program's temporary folder")
    def test_unwritable_folder_falls_back_and_no_log_at_all_sends_nothing(self):
        self.start_sim(model=KDV18)
        blocker = os.path.join(self.dir, "file")
        with open(blocker, "w") as fh:
            fh.write("x")
        log = os.path.join(blocker, "run.log")  # a folder that cannot exist
        code, _, err = self.run_args("-q", "-s", "-p:secret", f"-f:{log}", self.address())
        self.assertEqual(code, 0, err)
        # The fallback is the user's private cache, never the shared temporary folder.
        private = os.path.join(os.environ["XDG_CACHE_HOME"], "quillmarch", "logs")
        fallback = os.path.join(private, log.lstrip(os.sep))
        lines = self.log_records(fallback)
        self.assertEqual(os.stat(private).st_mode & 0o077, 0)
        self.assertTrue(lines[0].startswith("Error opening log file : "), lines[0])
        self.assertIn("#### DONE : success", lines)
        sent = len(self.journal_commands())

        code, _, err = self.run_args("-q", "-s", "-p:secret", f"-f:{log}", self.address(),
                                     XDG_CACHE_HOME=blocker)
        self.assertEqual(code, 3, err)
        self.assertIn("no log can be written", err)
        self.assertEqual(len(self.journal_commands()), sent)  # the system was not touched

    @unittest.skipIf(WINDOWS_PROGRAM, "the lock is taken with flock here")
    def test_log_held_by_another_run_is_refused(self):
        self.start_sim(model=KDV18)
        log = os.path.join(self.dir, "run.log")
        with open(log, "w") as fh:
            fh.write("other run\n")
        with open(log + ".lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            code, _, err = self.run_args("-q", "-p:secret", f"-f:{log}", self.address())
        self.assertEqual(code, 1, err)
        self.assertIn("another run is writing this log", err)
        with open(log) as fh:
            self.assertEqual(fh.read(), "other run\n")
        self.assertFalse(os.path.exists(os.path.join(self.dir, "run_bak.log")))
        self.assertEqual(self.journal_commands(), [])

    @unittest.skipUnless(os.path.exists("/dev/full") and not WINDOWS_PROGRAM, "needs /dev/full")
    def full_disk(self):
        """A folder on a file system of its own, filled up: files can be made, not written."""
        if WINDOWS_PROGRAM or os.geteuid() != 0:
            self.skipTest("needs root to mount a small file system")
        folder = os.path.join(self.dir, "full")
        os.mkdir(folder)
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", folder],
                          capture_output=True).returncode != 0:
            self.skipTest("cannot mount a file system here")
        self.addCleanup(subprocess.run, ["umount", "-l", folder], capture_output=True)
        try:
            with open(os.path.join(folder, "filler"), "wb") as fh:
                fh.write(bytes(1 << 20))
        except OSError:
            pass  # full now
        return folder

    def test_full_disk_is_reported_once_and_the_outcome_stays_true(self):
        # A device is no log (refused elsewhere); a real full disk is met by a run that goes on.
        folder = self.full_disk()
        self.start_sim(model=KDV18)
        log = os.path.join(folder, "run.log")
        code, _, err = self.run_args("-q", "-s", "-p:secret", f"-f:{log}", self.address())
        self.assertEqual(code, 0, err)
        self.assertEqual(err.count(f"cannot write the log {log}"), 1, err)
        self.assertIn("the run goes on", err)


class Reasons(TruthCase):
    def test_failed_connection_says_why_in_the_log_and_on_stderr(self):
        cases = [("wrong password", dict(fault=["wrong-password"]), "Wrong password"),
                 ("nothing listening", None, "Connection refused")]
        for name, sim, reason in cases:
            with self.subTest(name):
                self.start_sim(model=KDV18, **(sim or {}))
                if sim is None:
                    self.sim.stop()
                log = os.path.join(self.dir, name.replace(" ", "_") + ".log")
                code, _, err = self.run_args("-p:secret", f"-f:{log}", self.address())
                self.assertEqual(code, 1, err)
                lines = self.log_records(log)
                at = lines.index("Cannot connect to system")
                self.assertEqual(lines[at + 1], "Reason: " + reason)
                self.assertIn("Cannot connect to system: " + reason, err)

    def test_time_scale_is_announced_and_absent_at_one(self):
        self.start_sim(model=KDV18)
        self.sim.stop()  # a refused connection has no fixed wait, so scale 1 stays fast
        for scale, warned in (("0.01", True), ("1", False)):
            log = os.path.join(self.dir, f"scale{scale}.log")
            code, _, err = self.run_args("-q", f"-f:{log}", self.address(),
                                         QUILLMARCH_TIME_SCALE=scale)
            self.assertEqual(code, 1, err)
            warning = (f"Warning: QUILLMARCH_TIME_SCALE is {scale}: every fixed wait is "
                       "scaled, so this run does not wait for a real system to restart")
            self.assertEqual(self.log_records(log)[1] == warning, warned)
            self.assertEqual(warning in err, warned)


@unittest.skipIf(WINDOWS_PROGRAM, "POSIX signals")
class Interrupts(TruthCase):
    def big_payloads(self):
        """The sample pack with a 48 MB image for the KDV 18, so the upload lasts."""
        folder = os.path.join(self.dir, "payloads")
        shutil.copytree(PAYLOADS, folder)
        with open(os.path.join(folder, "156.bin"), "wb") as fh, \
                gzip.GzipFile(filename="BRAMBLE", mode="wb", fileobj=fh, compresslevel=0,
                              mtime=0) as image:
            image.write(bytes(48 << 20))
        # The manifest describes the sample image, not this one: without it the run sends the
        # bigger image (its version then not known) instead of refusing it as damaged.
        os.remove(os.path.join(folder, "manifest.json"))
        return folder

    def test_signal_during_the_upload_ends_cleanly(self):
        payloads = self.big_payloads()
        for sig, exit_code in ((signal.SIGINT, 130), (signal.SIGTERM, 143)):
            with self.subTest(signal=sig.name):
                self.start_sim(model=KDV18)
                log = os.path.join(self.dir, f"{sig.name}.log")
                proc = self.start("-q", "-p:secret", f"-f:{log}", self.address(),
                                  QUILLMARCH_PAYLOADS=payloads)
                image = os.path.join(self.sim.state_dir, "BRAMBLE")
                deadline = time.monotonic() + 60
                while not os.path.exists(image) and proc.poll() is None:
                    self.assertLess(time.monotonic(), deadline, "the upload never started")
                    time.sleep(0.005)
                # Hold the system still so the upload is certainly in progress.
                os.kill(self.sim.pid, signal.SIGSTOP)
                try:
                    time.sleep(0.3)
                    started = time.monotonic()
                    proc.send_signal(sig)
                    # The stopped run sends the system back to normal mode: it needs the
                    # system to answer again.
                    time.sleep(0.3)
                finally:
                    os.kill(self.sim.pid, signal.SIGCONT)
                _, err = proc.communicate(timeout=60)
                stopped_in = time.monotonic() - started
                self.assertEqual(proc.returncode, exit_code, err)
                self.assertLess(stopped_in, 10)
                lines = self.log_records(log)
                self.assertEqual(lines[-4:], ["interrupted", "#### DONE : failure", CLOSING,
                                              "Failure"])
                self.assertNotIn("Put Image Success", lines)
                self.assertIn("System left in normal mode: it restarts with the software it had",
                              lines)
                self.assertInOrder(self.journal_commands(), ["SWUS", "RSWU", "BOOT"])
                self.sim.close()


if __name__ == "__main__":
    unittest.main()
