# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The simulator installing an image: apply time, restart into normal mode,
the new version in systemsoftwareversion.dat, and the four faults."""

import gzip
import os
import socket
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from test_system_sim import SimTestCase  # noqa: E402

NEW = "Release_ru 9.0.6.2-103 05-September-2011 02:10"


def image(version=NEW):
    """A gzip image like the sample pack's: a header naming its version."""
    head = b"Quillmarch sample image\n"
    if version is not None:
        head += b"version=" + version.encode() + b"\n"
    return gzip.compress(head + bytes(range(256)) * 64)


class ApplyImage(SimTestCase):
    def install(self, data=None, **options):
        """Uploads an image to a system in update mode; the simulator and the
        restart event (None when it never restarts)."""
        sim = self.start_sim(model=9, mode="bootui", **options)
        ftp = self.session(sim)
        self.upload(ftp, "BRAMBLE", image() if data is None else data)
        return sim

    def test_outcomes_after_an_image(self):
        cases = [  # faults, mode it comes back in, version it then serves
            ((), "NORMAL", NEW),
            (("apply-old-version",), "NORMAL", "9.0.5"),
            (("apply-bootui",), "BOOTUI", NEW),
        ]
        for faults, mode, version in cases:
            with self.subTest(faults=faults):
                sim = self.install(fault=list(faults))
                back = self.wait_back(sim)
                self.assertEqual(back["mode"], mode)
                self.assertEqual(sim.read("systemsoftwareversion.dat"), version)
                self.assertEqual(self.session(sim).sendcmd("FLAG")[4:10], mode)
                sim.close()

    def test_the_image_is_applied_for_the_set_time_before_the_restart(self):
        sim = self.install(apply_time=10)  # x 0.05: 0.5 s
        applying = sim.wait_for("applying")
        self.assertAlmostEqual(applying["delay"], 0.5)
        time.sleep(0.2)
        self.assertEqual(sim.events("restart"), [])  # still applying, still answering
        socket.create_connection(("127.0.0.1", sim.ftp_port), 1).close()
        restart = sim.wait_for("restart", timeout=5)
        self.assertGreaterEqual(restart["t"] - applying["t"], 0.45)
        self.wait_back(sim)
        self.assertEqual(sim.wait_for("installed")["version"], NEW)

    def test_version_override_and_an_image_without_one(self):
        sim = self.install(installed_version="X 1.0")
        self.wait_back(sim)
        self.assertEqual(sim.read("systemsoftwareversion.dat"), "X 1.0")
        sim.close()
        sim = self.install(data=image(version=None), software_version="8.1")
        self.wait_back(sim)
        self.assertIsNone(sim.wait_for("installed")["version"])
        self.assertEqual(sim.read("systemsoftwareversion.dat"), "8.1")

    def test_never_goes_away(self):
        sim = self.install(fault=["apply-no-restart"])
        sim.wait_for(lambda e: e.get("fault") == "apply-no-restart")
        time.sleep(0.3)
        self.assertEqual(sim.events("restart"), [])
        self.assertEqual(self.session(sim).sendcmd("FLAG")[4:10], "BOOTUI")

    def test_never_comes_back_after_the_image_only(self):
        sim = self.start_sim(model=9, fault=["apply-never-returns"])
        ftp = self.session(sim)
        ftp.sendcmd("SWUS")
        ftp.sendcmd("boot")
        self.assertEqual(self.wait_back(sim)["mode"], "BOOTUI")  # an ordinary restart returns
        self.upload(self.session(sim), "BRAMBLE", image())
        restart = sim.wait_for(lambda e: e.get("event") == "restart"
                               and e["reason"] == "upload BRAMBLE")
        self.assertIsNone(restart["to_mode"])
        time.sleep(0.5)
        self.assert_refused(sim)


if __name__ == "__main__":
    unittest.main()
