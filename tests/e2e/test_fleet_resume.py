# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fleets that go on where an earlier run stopped (--resume), that start only inside a
maintenance window (--window, on a test clock), and that try failed systems again
(--retry-failed); the simulators' journals show which systems were contacted."""
import json
import os
import subprocess

from harness import BINARY, PAYLOADS, RUNNER, TIME_SCALE, program_path
from report_schema import load_valid_report
from test_fleet import WRONG_PASSWORD, Fleet

OLD_VERSION_AFTER = dict(fault=["apply-old-version"])  # every verification fails


class FleetOperations(Fleet):
    def fleet(self, *args, report="fleet.json", clock=None, inventory=None, verify="30"):
        path = os.path.join(self.dir, report)
        argv = [*RUNNER, BINARY, "--fleet", program_path(inventory or self.inventory()),
                "--log-dir", program_path(os.path.join(self.dir, "logs")), "--verify-timeout",
                verify, "--report", program_path(path), *args]
        env = dict(os.environ, QUILLMARCH_TIME_SCALE=TIME_SCALE,
                   QUILLMARCH_PAYLOADS=program_path(PAYLOADS))
        env.pop("QUILLMARCH_TEST_CLOCK", None)
        if clock:
            env["QUILLMARCH_TEST_CLOCK"] = clock
        done = subprocess.run(argv, cwd=self.dir, env=env, capture_output=True, text=True,
                              timeout=180)
        parsed = None
        if os.path.exists(path):
            with open(path, encoding="utf-8") as fh:
                parsed = load_valid_report(self, fh.read())
        return done, parsed

    @staticmethod
    def results(report):
        return [s["result"] for s in report["systems"]]

    @staticmethod
    def connects(sim):
        return len(sim.events("connect"))


class Resume(FleetOperations):
    def test_a_fleet_held_back_by_max_failures_goes_on_with_the_rest(self):
        sims = self.start_fleet({}, WRONG_PASSWORD, {}, {})
        done, first = self.fleet("-j", "1", "--max-failures", "1", "--in-call", "break")
        self.assertEqual(done.returncode, 1, done.stdout + done.stderr)
        self.assertEqual(self.results(first), ["succeeded", "failed", "skipped", "skipped"])
        before = [self.connects(sim) for sim in sims]
        self.assertEqual(before[2:], [0, 0])

        # --max-failures is overridden; -j 1 and --in-call break come from the earlier report.
        done, second = self.fleet("--resume", program_path(os.path.join(self.dir, "fleet.json")),
                                  "--max-failures", "5", report="second.json")
        self.assertEqual(done.returncode, 1, done.stdout + done.stderr)
        self.assertEqual(self.results(second), ["succeeded", "failed", "succeeded", "succeeded"])
        self.assertEqual(second["resumed_from"],
                         program_path(os.path.join(self.dir, "fleet.json")))
        self.assertEqual((second["options"]["jobs"], second["options"]["max_failures"],
                          second["options"]["in_call"]), (1, 5, "break"))
        carried = second["systems"][0]
        self.assertEqual((carried["earlier"], carried["report"], carried["tries"]),
                         (True, None, 0))
        # Only the rest were contacted: the system done before saw nobody again.
        after = [self.connects(sim) for sim in sims]
        self.assertEqual(after[0], before[0])
        self.assertGreater(after[1], before[1])
        self.assertTrue(all(n > 0 for n in after[2:]), after)
        self.assertIn("room-0: done in the earlier run (--resume)", done.stdout)

    def test_a_report_that_does_not_fit_is_refused_before_anything_is_sent(self):
        sims = self.start_fleet({}, {})
        done, _ = self.fleet()
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        earlier = os.path.join(self.dir, "fleet.json")
        with open(earlier, encoding="utf-8") as fh:
            text = fh.read()
        bad = os.path.join(self.dir, "bad.json")
        check = json.loads(text)
        check["options"]["check"] = True
        cases = [
            # name, report text, inventory's systems, the words of the refusal
            ("another inventory", text, sims[:1], "is not in the inventory"),
            ("not JSON", text[:-20], sims, "not valid JSON"),
            ("a check's report", json.dumps(check), sims, "report of a check"),
            ("a single run's report", json.dumps(check["systems"][0]["report"]), sims,
             "not a fleet report"),
        ]
        counts = [self.connects(sim) for sim in sims]
        for name, content, systems, words in cases:
            with self.subTest(name):
                with open(bad, "w", encoding="utf-8") as fh:
                    fh.write(content)
                done, _ = self.fleet("--resume", program_path(bad), report="again.json",
                                     inventory=self.inventory(sims=systems))
                self.assertEqual(done.returncode, 2, done.stdout + done.stderr)
                self.assertIn(words, done.stderr)
        self.assertEqual([self.connects(sim) for sim in sims], counts)


class Window(FleetOperations):
    def test_a_window_that_closes_mid_run_leaves_the_rest_for_a_resume(self):
        # The first system's restarts take 1 s (20 s x 0.05) and the test clock starts 0.5 s
        # (30 s at 60 times real speed) before the window closes: the first system starts, the
        # others would start after the window has closed.
        sims = self.start_fleet(dict(restart_delay="20"), {}, {})
        done, first = self.fleet("-j", "1", "--window", "23:59-00:00", clock="23:59:30*60",
                                 verify="600")
        self.assertEqual(done.returncode, 1, done.stdout + done.stderr)
        self.assertEqual(self.results(first), ["succeeded", "not_started", "not_started"], done.stdout)
        self.assertEqual([s["reason"] for s in first["systems"][1:]],
                         ["window closed (--window 23:59-00:00)"] * 2)
        self.assertIn("The window 23:59-00:00 has closed", done.stdout + done.stderr)
        self.assertEqual([self.connects(sim) for sim in sims[1:]], [0, 0])
        self.assertEqual(first["options"]["window"], "23:59-00:00")
        self.assertIn("QUILLMARCH_TEST_CLOCK is set", done.stderr)

        # The next night, inside the window taken from the report: the two left are updated.
        done, second = self.fleet("--resume", program_path(os.path.join(self.dir, "fleet.json")),
                                  report="second.json", clock="23:59:00")
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertEqual(self.results(second), ["succeeded"] * 3)
        self.assertEqual([s["earlier"] for s in second["systems"]], [True, False, False])

    def test_a_fleet_started_before_its_window_waits_for_it(self):
        (sim,) = self.start_fleet({})
        # Ten seconds before 02:00 at 20 times real speed: half a second of real waiting.
        done, report = self.fleet("--window", "02:00-04:00", clock="01:59:50*20")
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertEqual(self.results(report), ["succeeded"])
        output = done.stdout + done.stderr
        self.assertIn("Waiting for the window 02:00-04:00 to open (in 1 min)", output)
        self.assertIn("The window 02:00-04:00 is open: updates start", output)

    def test_bad_windows_are_refused(self):
        (sim,) = self.start_fleet({})
        for window in ("2:00-04:00", "02:00-24:00", "02:00-02:00", "02:00", "02:60-03:00"):
            with self.subTest(window):
                done, _ = self.fleet("--window", window, report="none.json")
                self.assertEqual(done.returncode, 2, done.stderr)
                self.assertIn("--window", done.stderr)
        done, _ = self.fleet(clock="25:00:00", report="none.json")
        self.assertEqual(done.returncode, 2, done.stderr)
        self.assertEqual(self.connects(sim), 0)


class RetryFailed(FleetOperations):
    def test_failed_systems_are_tried_again_at_the_end(self):
        bad, good = self.start_fleet(OLD_VERSION_AFTER, {})
        done, report = self.fleet("--retry-failed", "2")
        self.assertEqual(done.returncode, 1, done.stdout + done.stderr)
        self.assertEqual(self.results(report), ["failed", "succeeded"])
        self.assertEqual([s["tries"] for s in report["systems"]], [3, 1])
        images = [e for e in bad.events("upload") if e["name"] == "BRAMBLE"]
        self.assertEqual(len(images), 3)
        self.assertEqual(len([e for e in good.events("upload") if e["name"] == "BRAMBLE"]), 1)
        # The last try's log names why each try before it failed.
        note = [r for r in self.log_records(bad) if r.startswith("Trying again")]
        self.assertEqual(len(note), 1, note)
        self.assertIn("try 1: Verification failed", note[0])
        self.assertIn("try 2: Verification failed", note[0])
        self.assertIn("again (try 3 of 3, --retry-failed)", done.stdout + done.stderr)
