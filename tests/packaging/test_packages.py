# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The Debian packages: built by CPack from the build folder, unpacked into an empty root, and
run from there against the system simulator."""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE_DIR = os.environ.get(
    "QUILLMARCH_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
BUILD_DIR = os.environ.get("QUILLMARCH_BUILD_DIR", os.path.join(SOURCE_DIR, "build"))
sys.path.insert(0, os.path.join(SOURCE_DIR, "tools", "system-sim"))
import simctl  # noqa: E402


def field(deb, name):
    done = subprocess.run(["dpkg-deb", "-f", deb, name], capture_output=True, text=True,
                          check=True, timeout=60)
    return done.stdout.strip()


class DebianPackages(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.out = tempfile.mkdtemp(prefix="qm-packages-")
        subprocess.run(["cpack", "-G", "DEB", "--config",
                        os.path.join(BUILD_DIR, "CPackConfig.cmake"), "-B", cls.out],
                       check=True, capture_output=True, timeout=600)
        cls.debs = {field(deb, "Package"): deb for deb in glob.glob(os.path.join(cls.out, "*.deb"))}
        cls.root = os.path.join(cls.out, "root")
        for deb in cls.debs.values():
            subprocess.run(["dpkg", "-x", deb, cls.root], check=True, timeout=120)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.out, True)

    def test_two_packages_with_computed_dependencies(self):
        self.assertEqual(sorted(self.debs), ["quillmarch", "quillmarch-cli"])
        cli_depends = field(self.debs["quillmarch-cli"], "Depends")
        self.assertIn("libcurl4", cli_depends)  # found by dpkg-shlibdeps
        self.assertIn("libc6", cli_depends)
        self.assertNotIn("qt6", cli_depends.lower())
        gui_depends = field(self.debs["quillmarch"], "Depends")
        self.assertIn("quillmarch-cli (= ", gui_depends)
        self.assertIn("libqt6widgets6", gui_depends)

    def test_files_land_in_their_standard_places(self):
        for path in ["usr/bin/quillmarch-cli", "usr/bin/quillmarch",
                     "usr/share/quillmarch/sample-images/155.bin",
                     "usr/share/quillmarch/sample-images/manifest.json",
                     "usr/share/doc/quillmarch/help/index.html",
                     "usr/share/man/man1/quillmarch.1", "usr/share/man/man1/quillmarch-cli.1",
                     "usr/share/applications/quillmarch.desktop",
                     "usr/share/icons/hicolor/128x128/apps/quillmarch.png"]:
            self.assertTrue(os.path.isfile(os.path.join(self.root, path)), path)

    def test_installed_program_updates_a_system_with_the_named_sample_images(self):
        program = os.path.join(self.root, "usr", "bin", "quillmarch-cli")
        version = subprocess.run([program, "--version"], capture_output=True, text=True,
                                 timeout=30)
        self.assertEqual(version.returncode, 0)
        self.assertRegex(version.stdout, r"^quillmarch \d+\.\d+\.\d+")

        sim = simctl.start(password="secret", time_scale="0.05", restart_delay="1")
        self.addCleanup(sim.close)
        work = tempfile.mkdtemp(prefix="qm-installed-")
        self.addCleanup(shutil.rmtree, work, True)
        env = {k: v for k, v in os.environ.items() if k != "QUILLMARCH_PAYLOADS"}
        env["QUILLMARCH_TIME_SCALE"] = "0.01"
        env["XDG_CACHE_HOME"] = os.path.join(work, "cache")  # its lock goes with the folder
        samples = os.path.join(self.root, "usr/share/quillmarch/sample-images")
        # The installed samples are never taken unless named: without a pack nothing is sent
        # and every place looked in is named.
        unnamed = subprocess.run([program, "-q", "-p:secret", "-f:unnamed.log",
                                  f"127.0.0.1:{sim.ftp_port}"],
                                 cwd=work, env=env, capture_output=True, text=True, timeout=300)
        with open(os.path.join(work, "unnamed.log"), encoding="utf-8", errors="replace") as fh:
            self.assertIn("No image pack found; looked in: ", fh.read())
        self.assertEqual(unnamed.returncode, 1)
        self.assertEqual(sim.events("upload"), [])
        done = subprocess.run([program, "-q", "-p:secret", "-f:run.log", "--images", samples,
                               f"127.0.0.1:{sim.ftp_port}"],
                              cwd=work, env=env, capture_output=True, text=True, timeout=300)
        self.assertIn("sample image pack", done.stderr)
        with open(os.path.join(work, "run.log"), encoding="utf-8", errors="replace") as fh:
            log = fh.read()
        self.assertEqual(done.returncode, 0, log)
        self.assertIn("#### DONE : success", log)
        with open(os.path.join(self.root, "usr/share/quillmarch/sample-images/156.bin"), "rb") as fh:
            image = fh.read()
        uploads = {e["name"]: e for e in sim.events("upload")}
        self.assertEqual(uploads["BRAMBLE"]["size"], len(image))


if __name__ == "__main__":
    unittest.main()
