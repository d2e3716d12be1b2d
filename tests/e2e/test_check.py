# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""--check end to end: the table, the exit code, the report, and a journal with no change."""
import os
import socket

from harness import SimulatorCase, payload_sha256, program_path
from report_schema import changing_traffic, load_valid_report

KDV18 = 9
INSTALLED = "Release_ru 9.0.6.2-103 05-September-2011 02:10"


def unused_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class PreflightCheck(SimulatorCase):
    def check(self, address=None, password="secret", *extra):
        report = os.path.join(self.dir, "report.json")
        run = self.run_quillmarch("--check", "--report", report, *extra,
                                  address or self.address(), password=password)
        with open(report, encoding="utf-8") as fh:
            return run, load_valid_report(self, fh.read())

    def test_outcomes(self):
        cases = [
            # name, simulator options, version on the system, password, code, result, failure
            ("ready", dict(model=KDV18), None, "secret", 0, "ready", None),
            ("up to date", dict(model=KDV18), INSTALLED, "secret", 4, "up_to_date", None),
            ("unknown model", dict(model=KDV18, flag_model="", model_dat="QX 1.0"), None,
             "secret", 5, "cannot_update", "unknown_model"),
            ("refused logon", dict(model=KDV18), None, "wrong", 5, "cannot_update",
             "logon_refused"),
        ]
        for name, sim, version, password, code, result, failure in cases:
            with self.subTest(name):
                self.start_sim(**sim)
                if version:
                    with open(os.path.join(self.sim.state_dir, "systemsoftwareversion.dat"),
                              "w") as fh:
                        fh.write(version + "\n")
                run, report = self.check(password=password)
                self.assertEqual(run.code, code, run.stdout + run.log)
                self.assertEqual(report["result"], result)
                self.assertEqual(report["kind"], "check")
                self.assertEqual(report["exit_code"], code)
                self.assertEqual(report["failure"] and report["failure"]["code"], failure)
                self.assertIn(f"Result", run.stdout)
                self.assertIn(f"(exit {code})", run.stdout)
                self.assertIn(f"Check result: ", "\n".join(run.records))
                self.assertEqual(changing_traffic(self.sim), [])
                self.sim.close()

    def test_ready_table_shows_the_facts_and_the_plan(self):
        self.start_sim(model=KDV18)
        run, report = self.check()
        self.assertEqual(run.code, 0, run.log)
        lines = run.stdout.splitlines()
        self.assertEqual(lines[0], f"Check of {self.address()}")
        rows = {line[2:17].strip(): line[18:] for line in lines[1:]}
        self.assertEqual(rows["System Name"], "Sim Room 1")
        self.assertEqual(rows["Model"], "KDV 18")
        self.assertEqual(rows["Serial Number"], "SN12345678")
        self.assertTrue(rows["SW Version"].startswith("9.0.5   (this program installs: "
                                                      "Release_ru 9.0.6.2-103 05-September-2011"))
        self.assertEqual(rows["Mode"], "NORMAL")
        self.assertEqual(rows["In a call"], "no")
        self.assertEqual(rows["Web server"], "on")
        self.assertEqual(rows["Image"], "kdv18.image")
        self.assertIn("; Update Mode; Main Image; Waiting for reboot", rows["Tasks"])
        self.assertEqual(rows["Retain record"], "BackupFiles.swt 064")
        self.assertEqual(rows["Result"], "ready to update (exit 0)")
        self.assertEqual(report["before"], {"model": "KDV 18", "mode": "NORMAL",
                                            "software_version": "9.0.5"})
        installs = report["installs"]
        self.assertEqual((installs["software_version"], installs["image"]),
                         (INSTALLED, "kdv18.image"))
        # The image the check read and hashed, and the (sample) pack it came from.
        self.assertEqual((installs["image_file"], installs["image_sha256"]),
                         ("156.bin", payload_sha256(156)))
        self.assertTrue(installs["pack"]["sample"])
        self.assertEqual(report["tasks"], [])
        self.assertEqual(report["log"], program_path(os.path.join(self.dir, "run.log")))
        # The call state was asked, and nothing else went to the web server.
        self.assertEqual([e["path"] for e in self.sim.events("http")], ["/confstatus.xml"])
        self.assertEqual(changing_traffic(self.sim), [])
        self.sim.close()

        # The version as the system wrote it, punctuation kept, a terminal escape made visible.
        self.start_sim(model=KDV18)
        with open(os.path.join(self.sim.state_dir, "systemsoftwareversion.dat"), "w") as fh:
            fh.write("9.1.0-77 05-May-2026 \x1b[2J\n")
        run, _ = self.check()
        rows = {line[2:17].strip(): line[18:] for line in run.stdout.splitlines()[1:]}
        self.assertTrue(rows["SW Version"].startswith("9.1.0-77 05-May-2026 \\e[2J   (this"),
                        rows["SW Version"])
    def test_unreachable_address(self):
        self.start_sim(model=KDV18)
        run, report = self.check(address=f"127.0.0.1:{unused_port()}")
        self.assertEqual(run.code, 6, run.stdout + run.log)
        self.assertEqual(report["result"], "unreachable")
        self.assertEqual(report["failure"]["code"], "unreachable")
        self.assertIsNone(report["before"])
        self.assertIn("Connection refused", run.stdout)
        self.assertEqual(self.sim.events("connect"), [])

    def test_report_on_stdout_moves_the_table_to_stderr(self):
        self.start_sim(model=KDV18)
        run = self.run_quillmarch("--check", "--report", "-", self.address())
        self.assertEqual(run.code, 0, run.stderr)
        report = load_valid_report(self, run.stdout)
        self.assertEqual(report["result"], "ready")
        self.assertIn("ready to update (exit 0)", run.stderr)


class UnreadableFacts(SimulatorCase):
    """A file the system does not give costs that fact only, and a verdict is never made on a
    fact that was not read."""

    def check(self, password="secret"):
        report = os.path.join(self.dir, "report.json")
        run = self.run_quillmarch("--check", "--report", report, self.address(),
                                  password=password)
        with open(report, encoding="utf-8") as fh:
            return run, load_valid_report(self, fh.read())

    def rows(self, run):
        rows = {}
        for line in run.stdout.splitlines()[1:]:
            label, _, value = line.strip().partition("  ")
            rows[label.strip()] = value.strip()
        return rows

    def test_each_fact_is_read_on_its_own(self):
        cases = [
            # name, endless file, row that shows unknown, code, failure code
            ("name", "sysname.dat", "System Name", 0, None),
            ("version", "systemsoftwareversion.dat", "SW Version", 5, "facts_unread"),
        ]
        for name, endless, unknown_row, code, failure in cases:
            with self.subTest(name):
                self.start_sim(model=KDV18, fault=[f"endless-file:{endless}"])
                with open(os.path.join(self.sim.state_dir, "serialnumber.dat"), "w") as fh:
                    fh.write("SN4711\n")
                run, report = self.check()
                rows = self.rows(run)
                self.assertEqual(run.code, code, run.stdout + run.log)
                self.assertTrue(rows[unknown_row].startswith("unknown"), rows)
                # A later fact is still read on a session of its own.
                self.assertEqual(rows["Serial Number"], "SN4711", rows)
                if endless != "systemsoftwareversion.dat":
                    self.assertNotEqual(rows["SW Version"].split()[0], "unknown", rows)
                self.assertIn(f"Could not read {endless} from the system", run.records)
                self.assertEqual(report["failure"] and report["failure"]["code"], failure)
                self.assertEqual(changing_traffic(self.sim), [])
                self.sim.close()

    def test_a_system_that_answered_is_not_unreachable_and_gets_its_own_reason(self):
        # fault, password, words of the reason, report code
        cases = [
            ("tls-demanded", "secret", "demands an encrypted (TLS) connection", "logon_refused"),
            ("silent-after-login", "secret", "took the logon, then answered nothing more",
             "connect_failed"),
            (None, "sec\r\nret", "password contains a line break", "logon_refused"),
        ]
        for fault, password, words, code in cases:
            with self.subTest(fault=fault, password=password):
                self.start_sim(model=KDV18, fault=[fault] if fault else [])
                run, report = self.check(password=password)
                self.assertEqual(run.code, 5, run.stdout + run.log)
                self.assertIn(words, run.stdout)
                self.assertNotIn("Wrong password", run.log)
                self.assertEqual(report["failure"]["code"], code)
                self.assertIn(words, report["failure"]["reason"])
                self.assertEqual(changing_traffic(self.sim), [])
                self.sim.close()
