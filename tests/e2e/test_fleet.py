# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""--fleet end to end: many simulated systems updated at once, each with its own log and report."""
import os
import re
import signal
import subprocess
import time
import unittest

from harness import (BINARY, PAYLOADS, RUNNER, TIME_SCALE, WINDOWS_PROGRAM,
                     SimulatorCase, program_path, records, simctl)
from report_schema import changing_traffic, load_valid_report

INSTALLED = "Release_ru 9.0.6.2-103 05-September-2011 02:10"
UP_TO_DATE = dict(software_version=INSTALLED)
WRONG_PASSWORD = dict(password="other")  # the inventory says "secret"
NEVER_BACK = dict(fault=["restart-never-returns"])
# What the fleet says once it has taken the operator's first stop.
STOP_TAKEN = "Stopping: no new system starts"


class Fleet(SimulatorCase):
    def start_fleet(self, *sims):
        merged = [{**dict(password="secret", time_scale="0.05", restart_delay="1"), **s} for s in sims]
        self.sims = simctl.start_many(merged)
        for sim in self.sims:
            self.addCleanup(sim.close)
        return self.sims

    def inventory(self, names=None, sims=None):
        sims = sims if sims is not None else self.sims
        path = os.path.join(self.dir, "systems.csv")
        with open(path, "w", encoding="utf-8") as fh:
            fh.write("name,address,password\n")
            for i, sim in enumerate(sims):
                name = names[i] if names else f"room-{i}"
                fh.write(f"{name},127.0.0.1:{sim.ftp_port},secret\n")
        os.chmod(path, 0o600)  # it holds passwords: the fleet refuses it otherwise
        return path

    def run_fleet(self, *args, inventory=None, report=True, timeout=120):
        self.report_path = os.path.join(self.dir, "fleet.json")
        argv = [*RUNNER, BINARY, "--fleet", program_path(inventory or self.inventory()),
                "--log-dir", program_path(os.path.join(self.dir, "logs")), "--verify-timeout",
                "30", *args]
        if report:
            argv += ["--report", program_path(self.report_path)]
        env = dict(os.environ, QUILLMARCH_TIME_SCALE=TIME_SCALE,
                   QUILLMARCH_PAYLOADS=program_path(PAYLOADS))
        return subprocess.run(argv, cwd=self.dir, env=env, capture_output=True, text=True,
                              timeout=timeout)

    def report(self):
        with open(self.report_path, encoding="utf-8") as fh:
            return load_valid_report(self, fh.read())

    def summary(self, stdout):
        """Result column of the summary table, by system name."""
        rows = {}
        for line in stdout.splitlines():
            match = re.match(r"^(room-\d+)\s+127\.0\.0\.1:\d+\s+(.+?)\s{2}", line)
            if match:
                rows[match.group(1)] = match.group(2).strip()
        return rows

    def log_records(self, sim):
        path = os.path.join(self.dir, "logs", f"127_0_0_1_{sim.ftp_port}.log")
        with open(path, encoding="utf-8", errors="replace") as fh:
            return records(fh.read())

    @staticmethod
    def touched(sim):
        return [e for e in sim.events() if e["event"] in ("connect", "command", "upload")]


class FleetUpdate(Fleet):
    def test_mixed_fleet_each_system_ends_on_its_own(self):
        ok, wrong, never, current = self.start_fleet({}, WRONG_PASSWORD, NEVER_BACK, UP_TO_DATE)
        done = self.run_fleet("-j", "4")
        self.assertEqual(done.returncode, 1, done.stdout + done.stderr)
        expected = {"room-0": "succeeded", "room-1": "failed", "room-2": "failed",
                    "room-3": "up to date"}
        self.assertEqual(self.summary(done.stdout), expected, done.stdout)
        self.assertIn(f"room-0 (127.0.0.1:{ok.ftp_port}): succeeded in ", done.stdout)
        self.assertIn(f"room-1 (127.0.0.1:{wrong.ftp_port}): failed: Wrong password", done.stdout)
        # Each system's own log, with its own outcome.
        self.assertIn(f'Verified: KDV 18 is back in normal mode with version "{INSTALLED}"',
                      self.log_records(ok))
        self.assertIn("Reason: Wrong password", self.log_records(wrong))
        self.assertIn("Failure", self.log_records(never))
        self.assertNotIn("Starting update", self.log_records(current))
        self.assertEqual(changing_traffic(current), [])
        self.assertEqual(changing_traffic(wrong), [])
        self.assertIn("BRAMBLE", [e["name"] for e in ok.events("upload")])

        report = self.report()
        self.assertEqual((report["kind"], report["exit_code"]), ("fleet", 1))
        self.assertEqual(report["counts"]["succeeded"], 1)
        self.assertEqual(report["counts"]["failed"], 2)
        self.assertEqual(report["counts"]["up_to_date"], 1)
        systems = report["systems"]
        self.assertEqual([s["result"] for s in systems],
                         ["succeeded", "failed", "failed", "up_to_date"])
        self.assertEqual([s["line"] for s in systems], [2, 3, 4, 5])
        self.assertEqual(systems[0]["report"]["verification"]["outcome"], "verified")
        self.assertEqual(systems[0]["report"]["after"]["software_version"], INSTALLED)
        self.assertEqual(systems[1]["report"]["failure"]["code"], "logon_refused")
        self.assertEqual(systems[3]["report"]["result"], "up_to_date")
        for system, sim in zip(systems, self.sims):
            self.assertEqual(system["report"]["address"], f"127.0.0.1:{sim.ftp_port}")
            # As the program names it (a Windows path under wine).
            self.assertEqual(system["log"], program_path(os.path.join(
                self.dir, "logs", f"127_0_0_1_{sim.ftp_port}.log")))

    def test_force_updates_a_system_already_up_to_date(self):
        (current,) = self.start_fleet(UP_TO_DATE)
        done = self.run_fleet("--force")
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertEqual(self.summary(done.stdout), {"room-0": "succeeded"})
        self.assertIn("BRAMBLE", [e["name"] for e in current.events("upload")])

    def test_held_back_systems_are_never_touched(self):
        cases = [
            # name, options, simulators, results
            ("canary fails", ["--canary", "1", "-j", "3"], [WRONG_PASSWORD, {}, {}],
             ["failed", "skipped", "skipped"]),
            ("canary succeeds", ["--canary", "1", "-j", "3"], [{}, {}, WRONG_PASSWORD],
             ["succeeded", "succeeded", "failed"]),
            ("max failures", ["--max-failures", "1", "-j", "1"], [{}, WRONG_PASSWORD, {}, {}],
             ["succeeded", "failed", "skipped", "skipped"]),
        ]
        for name, options, sims, results in cases:
            with self.subTest(name):
                self.start_fleet(*sims)
                done = self.run_fleet(*options)
                self.assertEqual(done.returncode, 1, done.stdout + done.stderr)
                report = self.report()
                self.assertEqual([s["result"] for s in report["systems"]], results)
                for system, sim in zip(report["systems"], self.sims):
                    line = f"{system['name']} (127.0.0.1:{sim.ftp_port}): {system['result']}"
                    self.assertIn(line, done.stdout)
                    if system["result"] == "skipped":
                        self.assertIsNone(system["report"])
                        self.assertEqual(self.touched(sim), [], name)
                    else:
                        self.assertNotEqual(self.touched(sim), [], name)
                for sim in self.sims:
                    sim.close()


class FleetCheck(Fleet):
    def test_check_table_and_nothing_changed(self):
        self.start_fleet({}, WRONG_PASSWORD, UP_TO_DATE, {})
        self.sims[3].close()  # nothing answers there any more
        done = self.run_fleet("--check", "-j", "4")
        self.assertEqual(done.returncode, 1, done.stdout + done.stderr)
        self.assertEqual(self.summary(done.stdout),
                         {"room-0": "KDV 18", "room-1": "-", "room-2": "KDV 18", "room-3": "-"})
        results = [line.split()[-1] for line in done.stdout.splitlines()
                   if line.startswith("room-")]
        self.assertEqual(results[-4:], ["ready", "cannot", "date", "unreachable"])
        self.assertIn(INSTALLED, done.stdout)
        for sim in self.sims[:3]:
            self.assertEqual(changing_traffic(sim), [])
        report = self.report()
        self.assertEqual([s["result"] for s in report["systems"]],
                         ["ready", "cannot", "up_to_date", "unreachable"])
        self.assertEqual(report["systems"][0]["report"]["kind"], "check")


class FleetInterrupt(Fleet):
    @unittest.skipIf(WINDOWS_PROGRAM, "signals are POSIX here")
    def test_stops(self):
        cases = [
            # name, signals sent once the first system's image is up, the first one's result
            ("first stop: the running update goes on to its end", 1, "succeeded"),
            ("second stop: the running update stops at its next safe point", 2, "interrupted"),
        ]
        for name, signals, first in cases:
            with self.subTest(name):
                # A slow restart keeps the first update going while the stops come.
                self.start_fleet(dict(apply_time="3"), {}, {})
                stdout, stderr, code = self.stopped_fleet(signals)
                self.assertEqual(code, 130, stdout + stderr)
                self.assertEqual(stdout.count(STOP_TAKEN), 1, stdout)
                self.assertEqual(self.summary(stdout), {
                    "room-0": first, "room-1": "not started", "room-2": "not started"})
                for sim in self.sims[1:]:
                    self.assertEqual(self.touched(sim), [])
                report = self.report()
                self.assertEqual(report["exit_code"], 130)
                self.assertEqual(report["counts"]["not_started"], 2)
                if first == "interrupted":
                    # The table's reason is the one the system's own report gives.
                    stopped = report["systems"][0]
                    self.assertEqual(stopped["reason"], "Stopped by the operator")
                    self.assertEqual(stopped["report"]["failure"]["reason"], stopped["reason"])
                    self.assertIn("Stopped by the operator", stdout)
                for sim in self.sims:
                    sim.close()

    def stopped_fleet(self, signals):
        self.report_path = os.path.join(self.dir, "fleet.json")
        argv = [*RUNNER, BINARY, "--fleet", self.inventory(), "-j", "1", "--log-dir",
                os.path.join(self.dir, "logs"), "--report", self.report_path]
        env = dict(os.environ, QUILLMARCH_TIME_SCALE=TIME_SCALE,
                   QUILLMARCH_PAYLOADS=program_path(PAYLOADS))
        # The output goes to files the test reads while the fleet runs.
        out_path = os.path.join(self.dir, "stdout.txt")
        err_path = os.path.join(self.dir, "stderr.txt")
        with open(out_path, "w", encoding="utf-8") as out, \
                open(err_path, "w", encoding="utf-8") as err:
            proc = subprocess.Popen(argv, cwd=self.dir, env=env, stdout=out, stderr=err)
        try:
            self.sims[0].wait_for("upload", timeout=30)
            proc.send_signal(signal.SIGINT)
            # Two signals pending at once are delivered as one: the second goes only once the
            # fleet has said it took the first.
            self.wait_for_output(proc, out_path, STOP_TAKEN, timeout=30)
            if signals == 2:
                proc.send_signal(signal.SIGINT)
            proc.wait(timeout=120)
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        with open(out_path, encoding="utf-8") as out, open(err_path, encoding="utf-8") as err:
            return out.read(), err.read(), proc.returncode

    def wait_for_output(self, proc, path, text, timeout):
        """Polls the file a running program writes until it holds text; fails after timeout."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            with open(path, encoding="utf-8", errors="replace") as fh:
                if text in fh.read():
                    return
            if proc.poll() is not None:
                break
            time.sleep(0.02)
        with open(path, encoding="utf-8", errors="replace") as fh:
            self.fail(f"{text!r} never came (exit {proc.poll()}): {fh.read()}")


class FleetRefused(Fleet):
    def test_bad_inventory_names_its_lines_and_sends_nothing(self):
        (sim,) = self.start_fleet({})
        path = os.path.join(self.dir, "bad.csv")
        with open(path, "w", encoding="utf-8") as fh:
            fh.write(f"name,address,password\nroom-0,127.0.0.1:{sim.ftp_port},secret\n"
                     "room-1,,secret\n")
        os.chmod(path, 0o600)
        done = self.run_fleet(inventory=path, report=False)
        self.assertEqual(done.returncode, 2, done.stdout + done.stderr)
        self.assertRegex(done.stderr, r"bad\.csv:3\b")
        self.assertEqual(self.touched(sim), [])

    @unittest.skipIf(WINDOWS_PROGRAM, "POSIX permissions")
    def test_password_file_others_may_read_is_refused(self):
        (sim,) = self.start_fleet({})
        path = os.path.join(self.dir, "systems.csv")
        with open(path, "w", encoding="utf-8") as fh:
            fh.write(f"name,address\nroom-0,127.0.0.1:{sim.ftp_port}\n")
        secret = os.path.join(self.dir, "password")
        with open(secret, "w", encoding="utf-8") as fh:
            fh.write("secret\n")
        os.chmod(secret, 0o644)
        done = self.run_fleet("--password-file", secret, inventory=path, report=False)
        self.assertEqual(done.returncode, 2, done.stdout + done.stderr)
        self.assertIn("password", done.stderr)
        self.assertNotIn("secret\n", done.stderr)
        self.assertEqual(self.touched(sim), [])

    def test_a_report_over_the_inventory_or_password_file_is_refused(self):
        (sim,) = self.start_fleet({})
        path = os.path.join(self.dir, "systems.csv")
        listing = f"name,address\nroom-0,127.0.0.1:{sim.ftp_port}\n"
        with open(path, "w", encoding="utf-8") as fh:
            fh.write(listing)
        secret = os.path.join(self.dir, "password")
        with open(secret, "w", encoding="utf-8") as fh:
            fh.write("secret\n")
        os.chmod(secret, 0o600)
        cases = [("the inventory", path, "names the inventory file"),
                 ("the password file", secret, "names the password file"),
                 ("a folder", self.dir, "not a plain file")]
        for name, report, words in cases:
            with self.subTest(name):
                done = self.run_fleet("--password-file", secret, "--report",
                                      program_path(report), inventory=path, report=False)
                self.assertEqual(done.returncode, 2, done.stdout + done.stderr)
                self.assertIn(words, done.stderr)
        with open(path, encoding="utf-8") as fh:
            self.assertEqual(fh.read(), listing)
        with open(secret, encoding="utf-8") as fh:
            self.assertEqual(fh.read(), "secret\n")
        self.assertEqual(self.touched(sim), [])


if __name__ == "__main__":
    unittest.main()
