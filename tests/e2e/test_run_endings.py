# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""A run cut short (a refused upload, a stop, a hang-up, a closed pipe, a second signal) never
leaves the system in update mode without a word: it sends it back (RSWU, BOOT), and the log,
the report and the exit code say where it left the system."""
import json
import os
import select
import shutil
import signal
import subprocess
import time
import unittest

from harness import (BINARY, PAYLOADS, RUNNER, TIME_SCALE, WINDOWS_PROGRAM, SimulatorCase,
                     program_path, records)

KDV18 = 9  # section-image group


class EndingCase(SimulatorCase):
    def env(self):
        return dict(os.environ, QUILLMARCH_TIME_SCALE=TIME_SCALE,
                    QUILLMARCH_PAYLOADS=program_path(PAYLOADS))

    def argv(self, *extra):
        self.log = os.path.join(self.dir, "run.log")
        self.report = os.path.join(self.dir, "r.json")
        return [*RUNNER, BINARY, "-p:secret", f"-f:{program_path(self.log)}",
                "--report", program_path(self.report), *extra, self.address()]

    def records(self):
        with open(self.log, encoding="utf-8", errors="replace", newline="") as fh:
            return records(fh.read())

    def report_json(self):
        with open(self.report, encoding="utf-8") as fh:
            return json.load(fh)

    def commands(self):
        return [e["line"] for e in self.sim.events("command")]

    def assertSentBackAfterSwitch(self):
        """RSWU and BOOT follow SWUS, and the system comes up again in normal mode."""
        commands = self.commands()
        self.assertIn("SWUS", commands)
        self.assertInOrder(commands, ["SWUS", "RSWU", "BOOT"])
        deadline = time.monotonic() + 30
        while True:
            listening = self.sim.events("listening")
            # Up at start, in update mode after SWUS, then normal again after BOOT.
            if len(listening) >= 3 and listening[-1].get("mode") == "NORMAL":
                break
            self.assertLess(time.monotonic(), deadline, listening)
            time.sleep(0.02)

    def wait_for_command(self, proc, command, timeout=60):
        deadline = time.monotonic() + timeout
        while command not in self.commands():
            self.assertIsNone(proc.poll(), f"the run ended before {command}")
            self.assertLess(time.monotonic(), deadline, f"{command} never came")
            time.sleep(0.005)


class RefusedUpload(EndingCase):
    def test_a_dropped_image_sends_the_system_back_and_says_so(self):
        self.start_sim(model=KDV18, fault=["drop-upload:100000"])
        done = subprocess.run(self.argv("-q"), cwd=self.dir, env=self.env(),
                              capture_output=True, text=True, timeout=120)
        lines = self.records()
        self.assertEqual(done.returncode, 1, done.stderr)
        self.assertNotIn("Updating done", lines)
        self.assertIn("System left in normal mode: it restarts with the software it had", lines)
        self.assertEqual(lines[-3], "#### DONE : failure")
        self.assertSentBackAfterSwitch()
        report = self.report_json()
        self.assertEqual(report["system_left_in"], "normal")
        self.assertEqual(report["result"], "failure")

    def test_a_system_that_never_returns_is_named_unknown_with_its_own_exit_code(self):
        self.start_sim(model=KDV18, fault=["restart-never-returns"])
        done = subprocess.run(self.argv("-q"), cwd=self.dir, env=self.env(),
                              capture_output=True, text=True, timeout=180)
        self.assertEqual(done.returncode, 7, done.stderr)
        self.assertIn("System left in an unknown mode", "\n".join(self.records()))
        self.assertEqual(self.report_json()["system_left_in"], "unknown")
        self.assertEqual(self.report_json()["exit_code"], 7)

    def test_a_successful_update_names_no_mode(self):
        self.start_sim(model=KDV18)
        done = subprocess.run(self.argv("-q", "--verify"), cwd=self.dir, env=self.env(),
                              capture_output=True, text=True, timeout=120)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertNotIn("RSWU", self.commands())
        self.assertIsNone(self.report_json()["system_left_in"])


@unittest.skipIf(WINDOWS_PROGRAM, "POSIX signals and pipes")
class Stops(EndingCase):
    def start(self, *extra, stdout=subprocess.PIPE):
        return subprocess.Popen(self.argv(*extra), cwd=self.dir, env=self.env(),
                                stdout=stdout, stderr=subprocess.STDOUT, start_new_session=True)

    def test_a_stop_during_the_update_mode_restart_sends_the_system_back(self):
        # Signals: one stop, a stop and a second one, a hang-up followed by an interrupt. The
        # second request arrives while the run is sending the system back and must not end it.
        cases = [([signal.SIGTERM], 143), ([signal.SIGINT, signal.SIGINT], 130),
                 ([signal.SIGHUP, signal.SIGINT], 129)]
        for signals, code in cases:
            with self.subTest(signals=[s.name for s in signals]):
                self.start_sim(model=KDV18, restart_delay="20")
                proc = self.start("-q")
                self.wait_for_command(proc, "SWUS")
                for sig in signals:
                    proc.send_signal(sig)
                    time.sleep(0.05)
                proc.communicate(timeout=120)
                self.assertEqual(proc.returncode, code)
                lines = self.records()
                self.assertIn("System left in normal mode: it restarts with the software it had",
                              lines)
                self.assertEqual(lines[-4:-2], ["interrupted", "#### DONE : failure"])
                self.assertSentBackAfterSwitch()
                self.assertEqual(self.report_json()["system_left_in"], "normal")
                self.sim.close()

    def test_a_reader_that_goes_away_does_not_end_the_run(self):
        # Not quiet: the terminal display writes to the pipe throughout the run.
        self.start_sim(model=KDV18)
        read_end, write_end = os.pipe()
        proc = self.start("--verify", stdout=write_end)
        os.close(write_end)
        os.close(read_end)  # the reader dies before the first line
        proc.wait(timeout=120)
        self.assertEqual(proc.returncode, 0)
        lines = self.records()
        self.assertIn("#### DONE : success", lines)
        self.assertEqual(self.report_json()["result"], "success")
        self.assertNotIn("RSWU", self.commands())


@unittest.skipIf(WINDOWS_PROGRAM, "an X display that goes away is an X11 matter")
@unittest.skipUnless(shutil.which("Xvfb"), "needs Xvfb (Debian package xvfb)")
class Displays(EndingCase):
    """A run with a window whose X server dies finishes as a quiet run would; a stop ends the
    wizard with the stop's exit code instead of killing it."""

    def start_display(self):
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp",
                                 "-screen", "0", "1024x768x24"], pass_fds=(write_end,),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.addCleanup(xvfb.wait)
        self.addCleanup(xvfb.kill)
        # Xvfb writes the number, then the newline, and dies if nobody reads the newline.
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.monotonic()))
            self.assertTrue(ready, "Xvfb gave no display number")
            chunk = os.read(read_end, 64)
            self.assertTrue(chunk, "Xvfb ended before giving its display number")
            number += chunk
        os.close(read_end)
        number = number.decode().strip()
        self.assertTrue(number.isdigit(), number)
        return xvfb, f":{number}"

    def gui_env(self, display):
        env = self.env()
        for name in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XAUTHORITY"):
            env.pop(name, None)
        env["DISPLAY"] = display
        return env

    def start(self, argv, display):
        return subprocess.Popen(argv, cwd=self.dir, env=self.gui_env(display),
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                start_new_session=True)

    def test_a_run_whose_display_goes_away_finishes_without_its_window(self):
        self.start_sim(model=KDV18, restart_delay="5")
        xvfb, display = self.start_display()
        proc = self.start(self.argv(), display)
        self.wait_for_command(proc, "SWUS")
        xvfb.kill()
        xvfb.wait()
        output, _ = proc.communicate(timeout=180)
        self.assertEqual(proc.returncode, 0, output)
        self.assertIn("the display went away", output)
        lines = self.records()
        self.assertIn("The display went away: the run goes on without a window", lines)
        self.assertIn("#### DONE : success", lines)
        self.assertEqual(self.report_json()["result"], "success")
        # The image went out after the switch, and the check read the version afterwards.
        self.assertInOrder(self.commands(),
                           ["SWUS", "STOR BRAMBLE", "RETR systemsoftwareversion.dat"])

    def test_a_stop_ends_the_wizard_with_the_stop_s_code(self):
        _, display = self.start_display()
        self.log = os.path.join(self.dir, "wizard.log")
        proc = self.start([*RUNNER, BINARY, f"-f:{program_path(self.log)}"], display)
        time.sleep(3)  # the welcome dialog is up
        self.assertIsNone(proc.poll(), "the wizard ended by itself")
        proc.send_signal(signal.SIGTERM)
        output, _ = proc.communicate(timeout=60)
        self.assertEqual(proc.returncode, 143, output)


if __name__ == "__main__":
    unittest.main()
