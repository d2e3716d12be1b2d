# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""--in-call: a system in a call is left alone, waited for, or updated anyway; single runs and
fleets, as the simulator's journal shows."""
import os

from harness import SimulatorCase
from report_schema import changing_traffic, load_valid_report
from test_fleet import Fleet

IN_CALL = dict(in_call=768)
# The call ends 2 s after the simulator starts (40 s x its time scale 0.05).
CALL_ENDS = dict(in_call=768, call_ends_after=40)


def first_time(sim, predicate):
    """Journal time of the first event that matches, or None."""
    for event in sim.events():
        if predicate(event):
            return event["t"]
    return None


def swus_time(sim):
    return first_time(sim, lambda e: e["event"] == "command" and e["line"] == "SWUS")


def call_end_time(sim):
    return first_time(sim, lambda e: e["event"] == "call")


class SingleRunInCall(SimulatorCase):
    def run_reported(self, *args):
        path = os.path.join(self.dir, "report.json")
        done = self.run_quillmarch("--report", path, *args, self.address())
        with open(path, encoding="utf-8") as fh:
            return done, load_valid_report(self, fh.read())

    def test_each_policy_against_a_call_that_goes_on(self):
        cases = [
            # name, options, policy, exit code, image sent, failure code, log record
            ("default: as always, the call is ended", [], "break", 0, True, None,
             "The system is in a call: the update goes on and ends it (--in-call break)"),
            ("skip", ["--in-call", "skip"], "skip", 1, False, "in_call",
             "Not updated: the system is in a call (--in-call skip); nothing was changed"),
            ("wait until the timeout", ["--in-call=wait", "--in-call-timeout", "60"], "wait", 1,
             False, "in_call", None),
        ]
        for name, options, policy, code, sent, failure, record in cases:
            with self.subTest(name):
                self.start_sim(**IN_CALL)
                done, report = self.run_reported(*options)
                self.assertEqual(done.code, code, done.log)
                self.assertEqual("BRAMBLE" in self.uploads(), sent)
                if not sent:
                    self.assertEqual(changing_traffic(self.sim), [])
                    self.assertIn("Not updated: the system is in a call", done.stderr)
                self.assertEqual(report["call"]["state"], "in_call")
                self.assertEqual(report["call"]["policy"], policy)
                self.assertEqual((report["failure"] or {}).get("code"), failure)
                if record:
                    self.assertIn(record, done.records)

        # The last case: the wait looked more than once and gave up at its bound (60 s, in the
        # run's time).
        looks = [e for e in self.sim.events("http") if e["path"] == "/confstatus.xml"]
        self.assertGreater(len(looks), 1)
        self.assertGreaterEqual(report["call"]["waited_s"], 60)
        self.assertTrue(any(r.startswith("Not updated: the system is in a call after 6")
                            for r in done.records), done.records)

    def test_wait_switches_only_after_the_call_ended(self):
        self.start_sim(**CALL_ENDS)
        done, report = self.run_reported("--in-call", "wait")
        self.assertEqual(done.code, 0, done.log)
        ended, switched = call_end_time(self.sim), swus_time(self.sim)
        self.assertIsNotNone(ended)
        self.assertGreater(switched, ended)
        self.assertEqual((report["call"]["state"], report["result"]), ("no_call", "success"))
        self.assertGreater(report["call"]["waited_s"], 0)

    def test_bad_values_are_refused(self):
        self.start_sim()
        for options in (["--in-call", "hangup"], ["--in-call"], ["--in-call-timeout", "0"],
                        ["--in-call", "skip", "--in-call=wait"]):
            with self.subTest(options):
                done = self.run_quillmarch(*options, self.address())
                self.assertEqual(done.code, 2, done.stderr)
        self.assertEqual(self.sim.events("connect"), [])


class FleetInCall(Fleet):
    def test_one_system_in_a_call_under_each_policy(self):
        cases = [
            # name, options, the calling system's simulator, its result
            ("default skip", [], IN_CALL, "in_a_call"),
            ("wait", ["--in-call", "wait"], CALL_ENDS, "succeeded"),
            ("break", ["--in-call", "break"], IN_CALL, "succeeded"),
        ]
        for name, options, calling, result in cases:
            with self.subTest(name):
                busy, idle = self.start_fleet(calling, {})
                done = self.run_fleet(*options)
                report = self.report()
                self.assertEqual([s["result"] for s in report["systems"]],
                                 [result, "succeeded"], done.stdout + done.stderr)
                self.assertIn("BRAMBLE", [e["name"] for e in idle.events("upload")])
                self.assertEqual(report["systems"][0]["report"]["call"]["state"],
                                 "no_call" if name == "wait" else "in_call")
                if result == "in_a_call":
                    self.assertEqual(done.returncode, 1)
                    self.assertEqual(changing_traffic(busy), [])
                    self.assertEqual(report["counts"]["in_a_call"], 1)
                    self.assertIn("0 interrupted, 1 in a call", done.stdout)
                    self.assertIn("room-0: Not updated: the system is in a call", done.stdout)
                else:
                    self.assertEqual(done.returncode, 0, done.stdout)
                    self.assertIsNotNone(swus_time(busy))
                if name == "wait":
                    self.assertGreater(swus_time(busy), call_end_time(busy))
