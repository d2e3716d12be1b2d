# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""--verify end to end: the run ends when the system is back and says whether it really is."""
import os

from harness import TIME_SCALE, SimulatorCase
from report_schema import load_valid_report

KDV18 = 9   # section image
KDV14 = 5   # older group
INSTALLED = "Release_ru 9.0.6.2-103 05-September-2011 02:10"
VERIFIED = f'Verified: KDV 18 is back in normal mode with version "{INSTALLED}"'


class VerifiedUpdate(SimulatorCase):
    def verified_run(self, *args, **sim):
        self.start_sim(**sim)
        path = os.path.join(self.dir, "report.json")
        run = self.run_quillmarch("--verify", "--report", path, *args, self.address())
        with open(path, encoding="utf-8") as fh:
            return run, load_valid_report(self, fh.read())

    def test_outcomes(self):
        cases = [
            # name, simulator, extra arguments, exit, the verification record, after (mode,
            # version) or None
            ("verified", dict(model=KDV18), [], 0, VERIFIED, ("NORMAL", INSTALLED)),
            ("older group", dict(model=KDV14), [], 0,
             f'Verified: KDV 14 is back in normal mode with version "{INSTALLED}"',
             ("NORMAL", INSTALLED)),
            ("isdn", dict(model=KDV18), ["-i"], 0, "Verified: KDV 18 is back in normal mode",
             ("NORMAL", INSTALLED)),
            ("old version", dict(model=KDV18, fault=["apply-old-version"]), [], 1,
             f'Verification failed: the system runs version "9.0.5", not "{INSTALLED}"',
             ("NORMAL", "9.0.5")),
            ("update mode", dict(model=KDV18, fault=["apply-bootui"]), [], 1,
             "Verification failed: the system came back in update mode", ("BOOTUI", INSTALLED)),
            ("never goes away", dict(model=KDV18, fault=["apply-no-restart"]), [], 1,
             "Verification failed: the system did not restart after the image; it is still in "
             "update mode", ("BOOTUI", "9.0.5")),
            ("never back", dict(model=KDV18, fault=["apply-never-returns"]),
             ["--verify-timeout", "60"], 1,
             "Verification failed: the system did not come back within 60 s", None),
        ]
        for name, sim, args, code, record, after in cases:
            with self.subTest(name):
                run, report = self.verified_run(*args, **sim)
                self.assertEqual(run.code, code, run.log)
                verification = [r for r in run.records if r.startswith("Verifi")]
                self.assertEqual(verification, [record])
                self.assertInOrder(run.records, [record, "#### DONE : " +
                                                 ("success" if code == 0 else "failure")])
                self.assertEqual(report["exit_code"], code)
                self.assertEqual(report["result"], "success" if code == 0 else "failure")
                self.assertEqual(report["verification"]["outcome"],
                                 "verified" if code == 0 else "failed")
                if code:
                    self.assertEqual(report["failure"]["code"], "verification_failed")
                    self.assertEqual(report["failure"]["reason"], record)
                if after:
                    self.assertEqual((report["after"]["mode"],
                                      report["after"]["software_version"]), after)
                else:
                    self.assertIsNone(report["after"])
                self.assertEqual([t["name"] for t in report["tasks"]][-2:],
                                 ["Waiting for reboot", "Verifying the update"])
                self.assertEqual(report["tasks"][-1]["outcome"], "done" if code == 0 else "failed")
                self.sim.close()

    def test_no_verify_waits_for_the_system_but_leaves_the_success_unchecked(self):
        # --no-verify opts out of the check (the default is a verified run): the wait still ends
        # when the system answers again, nobody logs on after the image, and the exit status
        # says the success is unchecked.
        self.start_sim(model=KDV18, fault=["apply-old-version"])
        path = os.path.join(self.dir, "report.json")
        run = self.run_quillmarch("--no-verify", "--report", path, self.address())
        self.assertEqual(run.code, 8, run.log)
        self.assertEqual([r for r in run.records if r.startswith("Verifi")], [])
        unchecked = ("Not verified (--no-verify): the system answers again; its mode and "
                     "version were not checked")
        waited = [r for r in run.records if r.startswith("Waited ")]
        self.assertEqual([w.split(" for ")[1] for w in waited],
                         ["the restart into update mode (limit 600 s)",
                          "the restart after the image (limit 900 s)"], run.log)
        self.assertInOrder(run.records, [waited[-1], unchecked, "#### DONE : success"])
        uploaded = [e["t"] for e in self.sim.events("upload") if e["name"] == "BRAMBLE"][0]
        self.assertEqual([e for e in self.sim.events("login") if e["t"] > uploaded], [])
        with open(path, encoding="utf-8") as fh:
            report = load_valid_report(self, fh.read())
        self.assertEqual((report["result"], report["exit_code"]), ("success", 8))
        self.assertEqual(report["verification"], {"outcome": "not_run", "text": unchecked})
        self.assertIs(report["options"]["verify"], False)

    def test_a_plain_run_is_verified_and_meets_a_slow_system(self):
        # No option asks for it: the run verifies, and the waits follow a system that takes 60
        # or 180 s to restart (the simulator's seconds on the program's time scale; the
        # three tries 20 s apart of old gave up on both).
        for restart in ("60", "180"):
            with self.subTest(restart=restart):
                self.start_sim(model=KDV18, restart_delay=restart, time_scale=TIME_SCALE)
                run = self.run_quillmarch(self.address())
                self.assertEqual(run.code, 0, run.log)
                self.assertIn(VERIFIED, run.records)
                waited = [r for r in run.records if r.startswith("Waited ")]
                self.assertEqual([w.split(" for ")[1] for w in waited],
                                 ["the restart into update mode (limit 600 s)",
                                  "the restart after the image (limit 900 s)"], run.log)
                self.sim.close()
