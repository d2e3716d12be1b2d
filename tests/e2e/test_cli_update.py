# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Command-line updates end to end: the real executable, the simulator, the log, the exit code."""
import unittest

from harness import SimulatorCase, payload_sha256

KDV18 = 9        # section-image group, image 156
KDV14 = 5        # older group, image 185
CRC_KDV18 = "0x36EF779E"


class SoftwareUpdate(SimulatorCase):
    def test_section_image_model_is_updated(self):
        self.start_sim(model=KDV18)
        run = self.run_quillmarch(self.address())

        self.assertEqual(run.code, 0, run.log)
        self.assertIn("#### DONE : success", run.records)
        commands = self.commands()
        self.assertInOrder(commands, ["FLAG", "FLAG", "SWUS", "boot", "FLAG", "FLAG", "unlock",
                                      f"size BRAMBLE_{self.uploads()['BRAMBLE']['size']}",
                                      f"crc {CRC_KDV18}"])
        uploads = self.uploads()
        self.assertEqual(uploads["BRAMBLE"]["sha256"], payload_sha256(156))
        self.assertTrue(uploads["BRAMBLE"]["complete"])
        # All four kinds retained, no settings: only the user configuration bit stays set.
        self.assertEqual(self.sim.read("BackupFiles.swt"), "064")
        self.assertEqual(self.sim.read("gateway.dat"), "10.0.0.1")
        notice = [e for e in self.sim.events("http") if e["path"] == "/a_sendmessage.cgi"]
        self.assertEqual(len(notice), 1)
        self.assertIn("{" + self.user_name() + "}", notice[0]["body"])
        self.assertIn("Put Image Success", run.records)
        self.assertIn("System is in update mode", run.records)
        self.assertEqual(run.records[-1], "*******************************Finish Update"
                                          "*******************************")

    def test_older_group_sends_image1_then_dummy_image0(self):
        self.start_sim(model=KDV14)
        run = self.run_quillmarch(self.address())

        self.assertEqual(run.code, 0, run.log)
        uploads = self.uploads()
        self.assertEqual(uploads["IMAGE1"]["sha256"], payload_sha256(185))
        self.assertEqual(uploads["IMAGE0"]["sha256"], payload_sha256(198))
        names = [e["name"] for e in self.sim.events("upload")]
        self.assertLess(names.index("IMAGE1"), names.index("IMAGE0"))
        self.assertInOrder(run.records, ["Put Image Success", "Put dummy file Success",
                                         "#### DONE : success"])

    def test_isdn_variant_sends_image1_without_notice_or_switch(self):
        self.start_sim(model=KDV18)
        run = self.run_quillmarch("-i", self.address())

        self.assertEqual(run.code, 0, run.log)
        self.assertNotIn("SWUS", self.commands())
        self.assertEqual([e for e in self.sim.events("http")
                          if e["path"] == "/a_sendmessage.cgi"], [])
        uploads = self.uploads()
        self.assertNotIn("BackupFiles.swt", uploads)
        self.assertEqual(uploads["IMAGE1"]["sha256"], payload_sha256(156))

    def test_without_image_task_nothing_is_sent_and_the_run_succeeds(self):
        self.start_sim(model=KDV18)
        run = self.run_quillmarch("-s", self.address())

        self.assertEqual(run.code, 0, run.log)
        self.assertNotIn("SWUS", self.commands())
        self.assertNotIn("BRAMBLE", self.uploads())
        self.assertIn("Not putting any main software, why put in to Update mode!", run.records)

    def test_system_already_in_update_mode(self):
        self.start_sim(model=KDV18, mode="bootui")
        run = self.run_quillmarch(self.address())

        self.assertEqual(run.code, 0, run.log)
        self.assertIn("System is already in bootui mode", run.records)
        self.assertNotIn("boot", self.commands())
        self.assertEqual([e for e in self.sim.events("http")
                          if e["path"] == "/a_sendmessage.cgi"], [])
        self.assertIn("BRAMBLE", self.uploads())

    def test_retain_options_set_the_mask(self):
        self.start_sim(model=KDV18)
        run = self.run_quillmarch("-fa", "-fs", "-fp", self.address())

        self.assertEqual(run.code, 0, run.log)
        # Only the call detail report is kept: 79 - 8.
        self.assertEqual(self.sim.read("BackupFiles.swt"), "071")


class FailedRuns(SimulatorCase):
    def assertFailed(self, run):
        self.assertEqual(run.code, 1, run.log)
        self.assertIn("#### DONE : failure", run.records)
        self.assertEqual(run.records[-1], "Failure")

    def test_wrong_password(self):
        self.start_sim(model=KDV18)
        run = self.run_quillmarch(self.address(), password="wrong")
        self.assertFailed(run)
        self.assertIn("Cannot connect to system", run.records)
        self.assertEqual(self.sim.events("upload"), [])

    def test_nothing_listening(self):
        self.start_sim(model=KDV18)
        port = self.sim.ftp_port
        self.sim.stop()
        run = self.run_quillmarch(f"127.0.0.1:{port}")
        self.assertFailed(run)
        self.assertIn("Cannot connect to system", run.records)

    def test_unrecognised_model(self):
        self.start_sim(model=KDV18, flag_model="", model_dat="unknown box")
        run = self.run_quillmarch(self.address())
        self.assertFailed(run)
        self.assertIn("Could not update system, do not know what type of system it is!",
                      run.records)
        self.assertEqual([e["name"] for e in self.sim.events("upload")
                          if e["name"] in ("BRAMBLE", "IMAGE1", "IMAGE0")], [])

    def test_system_comes_back_in_normal_mode(self):
        self.start_sim(model=KDV18, fault=["swus-ignored"])
        run = self.run_quillmarch(self.address())
        self.assertFailed(run)
        self.assertIn("System not in update mode", run.records)
        self.assertNotIn("BRAMBLE", self.uploads())

    def test_restart_never_comes_back(self):
        self.start_sim(model=KDV18, fault=["restart-never-returns"])
        run = self.run_quillmarch(self.address())
        # The system asked for update mode could not be sent back: its own exit code.
        self.assertEqual(run.code, 7, run.log)
        self.assertIn("#### DONE : failure", run.records)
        self.assertEqual(run.records[-1], "Failure")
        self.assertIn("MessageBox(Could not re-connect to system.\n"
                      "Please make sure system is operational.)", run.records)
        self.assertIn("Could not connect to Orbiscope", run.records)

    def test_drop_in_the_middle_of_the_image_upload(self):
        self.start_sim(model=KDV18, fault=["drop-upload:65536"])
        run = self.run_quillmarch(self.address())
        self.assertFailed(run)
        self.assertIn("Put Image Failure", run.records)
        self.assertFalse(self.uploads()["BRAMBLE"]["complete"])


class LogAndOptions(SimulatorCase):
    def test_option_dump_shows_password_length_only(self):
        self.start_sim(model=KDV18)
        run = self.run_quillmarch("-s", self.address(), password="secret")
        self.assertIn("\tPW Length        = 6\r\n", run.log)
        self.assertNotIn("secret", run.log)
        self.assertTrue(run.records[0].startswith("Command Line: "))
        self.assertIn("-p:****", run.records[0])


if __name__ == "__main__":
    unittest.main()
