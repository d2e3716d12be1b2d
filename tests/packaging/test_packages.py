# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The Debian packages: built by CPack from the build folder, unpacked into an empty root, and
run from there against the system simulator."""
import glob
import gzip
import os
import re
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


def contents(deb):
    """The paths a package installs, without the leading "./"."""
    done = subprocess.run(["dpkg-deb", "-c", deb], capture_output=True, text=True, check=True,
                          timeout=60)
    return {line.split(None, 5)[5].split(" -> ")[0][2:].rstrip("/")
            for line in done.stdout.splitlines()}


def built_with_debian_flags():
    cache = os.path.join(BUILD_DIR, "CMakeCache.txt")
    with open(cache, encoding="utf-8") as fh:
        return re.search(r"^QUILLMARCH_DEB_BUILDFLAGS:BOOL=ON$", fh.read(), re.M) is not None


def png_size(path):
    with open(path, "rb") as fh:
        head = fh.read(24)
    return int.from_bytes(head[16:20], "big"), int.from_bytes(head[20:24], "big")


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
                     "usr/share/man/man1/quillmarch.1.gz", "usr/share/man/man1/quillmarch-cli.1.gz",
                     "usr/share/applications/quillmarch.desktop",
                     "usr/share/icons/hicolor/64x64/apps/quillmarch.png"]:
            self.assertTrue(os.path.isfile(os.path.join(self.root, path)), path)

    def test_each_package_has_its_own_documents(self):
        cli, gui = contents(self.debs["quillmarch-cli"]), contents(self.debs["quillmarch"])
        for package, files in (("quillmarch-cli", cli), ("quillmarch", gui)):
            for name in ("copyright", "changelog.gz"):
                self.assertIn(f"usr/share/doc/{package}/{name}", files, package)
        self.assertIn("usr/share/man/man1/quillmarch-cli.1.gz", cli)
        self.assertIn("usr/share/man/man1/quillmarch.1.gz", gui)
        self.assertNotIn("usr/share/man/man1/quillmarch.1.gz", cli)  # the GUI's page, not here
        self.assertIn("usr/share/bash-completion/completions/quillmarch-cli", cli)
        self.assertIn("usr/share/bash-completion/completions/quillmarch", gui)
        self.assertIn("usr/share/ansible/collections/ansible_collections/quillmarch/tessary/"
                      "plugins/modules/quillmarch_update.py", cli)
        # One page, not two copies: the GUI's is a link to the command line's.
        man = os.path.join(self.root, "usr/share/man/man1")
        with gzip.open(os.path.join(man, "quillmarch.1.gz"), "rt") as fh:
            self.assertEqual(fh.read().strip(), ".so man1/quillmarch-cli.1")
        with gzip.open(os.path.join(man, "quillmarch-cli.1.gz"), "rt") as fh:
            self.assertIn(".SH EXIT STATUS", fh.read())
        with open(os.path.join(self.root, "usr/share/doc/quillmarch-cli/copyright")) as fh:
            copyright_text = fh.read()
        self.assertTrue(copyright_text.startswith("Format: https://www.debian.org/doc/packaging-"
                                                  "manuals/copyright-format/1.0/"))
        self.assertIn("License: GPL-3.0+", copyright_text)

    def test_icons_lie_in_the_folder_of_their_size(self):
        icons = glob.glob(os.path.join(self.root, "usr/share/icons/hicolor/*/apps/*.png"))
        self.assertTrue(icons)
        for icon in icons:
            folder = os.path.basename(os.path.dirname(os.path.dirname(icon)))
            width, height = png_size(icon)
            self.assertEqual(folder, f"{width}x{height}", icon)

    def test_lintian_finds_no_error_and_no_warning(self):
        if not shutil.which("lintian"):
            self.skipTest("lintian is not installed (scripts/setup.sh installs it)")
        debs = sorted(self.debs.values())
        done = subprocess.run(["lintian", "--fail-on", "error,warning", "--tag-display-limit", "0",
                               "-I", *debs], capture_output=True, text=True, timeout=600)
        tags = [line for line in done.stdout.splitlines() if re.match(r"^[EWIP]: ", line)]
        self.assertEqual(done.returncode, 0, "\n".join(tags) + done.stderr)
        self.assertEqual([t for t in tags if t[0] in "EW"], [])
        # The hardening flags come from dpkg-buildflags in a build configured for packages
        # (scripts/build-packages); a debug build for the tests has no FORTIFY by nature.
        if built_with_debian_flags():
            self.assertEqual([t for t in tags if "hardening-" in t], [])

    def test_installed_program_updates_a_system_with_the_named_sample_images(self):
        program = os.path.join(self.root, "usr", "bin", "quillmarch-cli")
        version = subprocess.run([program, "--version"], capture_output=True, text=True,
                                 timeout=30)
        self.assertEqual(version.returncode, 0)
        self.assertRegex(version.stdout, r"^quillmarch-cli \d+\.\d+\.\d+\n")
        self.assertIn("GPL-3.0-or-later", version.stdout)

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
