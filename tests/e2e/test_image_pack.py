# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Image packs end to end: the pack's manifest decides the version, a damaged image or pack is
refused before anything on the system changes, and signatures are made with the real minisign."""
import hashlib
import json
import os
import shutil
import subprocess
import sys
import unittest

from harness import (BINARY, RUNNER, SOURCE_DIR, TIME_SCALE, SimulatorCase, program_path)
from report_schema import load_valid_report

KDV18 = 9
NEW_VERSION = "Release_ru 9.5.1-12 02-March-2012 11:20"
# Commands that change a system; the logon's FLAG queries and file reads do not.
CHANGING = ("unlock", "size ", "crc ", "BOOT", "RSWU", "ERFL", "SWUP", "BTUI")


def make_pack(folder, version=NEW_VERSION, manifest=True):
    argv = [sys.executable, os.path.join(SOURCE_DIR, "payloads", "make_payloads.py"), "--out",
            folder, "--image-size", "8192", "--version", version]
    subprocess.run(argv + ([] if manifest else ["--no-manifest"]), check=True)
    return folder


class ImagePackCase(SimulatorCase):
    def setUp(self):
        super().setUp()
        self.pack = make_pack(os.path.join(self.dir, "pack"))

    def run_with(self, *args, pack=None):
        path = os.path.join(self.dir, "report.json")
        if os.path.exists(path):
            os.remove(path)
        run = self.run_quillmarch("--images", program_path(pack or self.pack), "--report",
                                  program_path(path), *args, self.address())
        with open(path, encoding="utf-8") as fh:
            return run, load_valid_report(self, fh.read())

    def assertNothingChanged(self, run):
        self.assertEqual(self.uploads(), {}, run.log)
        changing = [c for c in self.commands() if c.startswith(CHANGING)]
        self.assertEqual(changing, [], run.log)

    def manifest(self, pack=None):
        with open(os.path.join(pack or self.pack, "manifest.json"), encoding="utf-8") as fh:
            return json.load(fh)

    def write_manifest(self, doc, pack=None):
        with open(os.path.join(pack or self.pack, "manifest.json"), "w", encoding="utf-8") as fh:
            json.dump(doc, fh)


class PackVersion(ImagePackCase):
    def test_the_packs_version_decides_check_verify_and_fleet(self):
        self.start_sim(model=KDV18)
        run, report = self.run_with("--check")
        self.assertEqual(run.code, 0, run.stdout)
        self.assertIn("this program installs: Release_ru 9.5.1-12 02-March-2012 11:20", run.stdout)
        self.assertEqual(report["installs"]["software_version"], NEW_VERSION)
        self.assertTrue(report["installs"]["pack"]["sample"])
        run, report = self.run_with("--verify")
        self.assertEqual(run.code, 0, run.log)
        self.assertIn(f'Verified: KDV 18 is back in normal mode with version "{NEW_VERSION}"',
                      run.records)
        self.assertEqual(report["installs"]["image_file"], "156.bin")
        with open(os.path.join(self.pack, "156.bin"), "rb") as fh:
            self.assertEqual(report["installs"]["image_sha256"],
                             hashlib.sha256(fh.read()).hexdigest())
        self.assertIn("sample image pack", run.stderr)
        self.assertTrue(any("sample image pack" in r for r in run.records))
        run, report = self.run_with("--check")
        self.assertEqual(run.code, 4, run.stdout)
        self.assertEqual(report["result"], "up_to_date")
        # A fleet whose row names the pack leaves the system alone.
        inventory = os.path.join(self.dir, "fleet.csv")
        with open(inventory, "w", encoding="utf-8") as fh:
            fh.write(f"address,password,options\n{self.address()},secret,"
                     f"--images={program_path(self.pack)}\n")
        os.chmod(inventory, 0o600)
        uploads = len(self.sim.events("upload"))
        fleet = subprocess.run(
            [*RUNNER, BINARY, "--fleet", program_path(inventory), "--log-dir",
             program_path(os.path.join(self.dir, "logs"))], cwd=self.dir,
            env=dict(os.environ, QUILLMARCH_TIME_SCALE=TIME_SCALE), capture_output=True,
            text=True, timeout=120)
        self.assertEqual(fleet.returncode, 0, fleet.stdout + fleet.stderr)
        self.assertIn("up to date", fleet.stdout + fleet.stderr)
        self.assertEqual(len(self.sim.events("upload")), uploads)


class DamagedImages(ImagePackCase):
    def test_each_fault_is_refused_before_anything_changes(self):
        def flip(path):
            with open(path, "r+b") as fh:
                fh.seek(100)
                byte = fh.read(1)
                fh.seek(100)
                fh.write(bytes([byte[0] ^ 1]))

        def truncate(path):
            with open(path, "r+b") as fh:
                fh.truncate(1000)

        def unlist(_path):
            doc = self.manifest()
            for image in doc["images"]:
                image["models"] = [m for m in image["models"] if m != "KDV 18"]
            self.write_manifest(doc)

        cases = [("byte flipped", flip, "SHA-256"), ("truncated", truncate, "1000 bytes"),
                 ("missing", os.remove, "missing"), ("not listed", unlist, "lists no such image")]
        for name, damage, words in cases:
            with self.subTest(name):
                self.pack = make_pack(os.path.join(self.dir, name.replace(" ", "-")))
                damage(os.path.join(self.pack, "156.bin"))
                for args, code in ((["--check"], 5), ([], 1)):
                    self.start_sim(model=KDV18)
                    run, report = self.run_with(*args)
                    self.assertEqual(run.code, code, run.log)
                    self.assertEqual(report["failure"]["code"], "image_damaged")
                    refused = [r for r in run.records if r.startswith("Image refused: ")]
                    self.assertEqual(len(refused), 1, run.log)
                    self.assertIn("156.bin", refused[0])
                    self.assertIn(words, refused[0])
                    self.assertNothingChanged(run)


class NoManifest(ImagePackCase):
    def test_a_folder_without_manifest_works_but_cannot_promise_a_version(self):
        self.pack = make_pack(os.path.join(self.dir, "plain"), manifest=False)
        self.start_sim(model=KDV18)
        run, report = self.run_with("--check")
        self.assertEqual(run.code, 0)
        self.assertIn("not known", run.stdout)
        self.assertIsNone(report["installs"]["software_version"])
        self.assertFalse(report["installs"]["version_known"])
        run, report = self.run_with("--verify")
        self.assertEqual(run.code, 0, run.log)
        self.assertTrue(any("has no manifest" in r for r in run.records), run.log)
        self.assertTrue(any(r.startswith("Verified:") and "all that was checked" in r
                            for r in run.records), run.log)
        # The system comes back on the version it ran before: that is caught.
        self.start_sim(model=KDV18, fault=["apply-old-version"])
        run, report = self.run_with("--verify")
        self.assertEqual(run.code, 1, run.log)
        self.assertEqual(report["failure"]["code"], "verification_failed")
        self.assertIn("the version it ran before", report["failure"]["reason"])


@unittest.skipUnless(shutil.which("minisign"), "needs minisign")
class SignedPack(ImagePackCase):
    def keypair(self, name):
        pub, key = (os.path.join(self.dir, f"{name}.{ext}") for ext in ("pub", "key"))
        subprocess.run(["minisign", "-G", "-W", "-p", pub, "-s", key], check=True,
                       capture_output=True)
        return pub, key

    def sign(self, key):
        subprocess.run(["minisign", "-S", "-s", key, "-m",
                        os.path.join(self.pack, "manifest.json")], check=True,
                       capture_output=True)

    def test_signatures(self):
        trusted, trusted_key = self.keypair("trusted")
        _, other_key = self.keypair("other")

        def good():
            self.sign(trusted_key)

        def changed():
            self.sign(trusted_key)
            doc = self.manifest()
            doc["name"] += "!"
            self.write_manifest(doc)

        def other():
            self.sign(other_key)

        cases = [("good", good, 0), ("manifest changed", changed, 5), ("other key", other, 5),
                 ("unsigned", lambda: None, 5)]
        for name, prepare, code in cases:
            with self.subTest(name):
                self.pack = make_pack(os.path.join(self.dir, name.replace(" ", "-")))
                prepare()
                args = ("--require-signed", "--trusted-key", program_path(trusted))
                self.start_sim(model=KDV18)
                run, report = self.run_with("--check", *args)
                self.assertEqual(run.code, code, run.stdout + run.log)
                if code == 0:
                    self.assertIsNotNone(report["installs"]["pack"]["signed_by"])
                    continue
                self.assertEqual(report["failure"]["code"], "pack_refused")
                run, report = self.run_with(*args)
                self.assertEqual(run.code, 1, run.log)
                self.assertEqual(report["failure"]["code"], "pack_refused")
                self.assertNothingChanged(run)


if __name__ == "__main__":
    unittest.main()
