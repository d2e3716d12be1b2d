# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Tests of the Tessary system simulator, driven the way Quillmarch drives a
real system: ftplib (plain and implicit TLS), raw sockets and urllib.

Run: /usr/bin/python3 -m unittest discover -s tools/system-sim -p 'test_*.py'
"""

import ftplib
import hashlib
import io
import os
import socket
import ssl
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import simctl  # noqa: E402

SCALE = 0.05
RESTART_DELAY = 4.0  # x SCALE = 0.2 s away

# The model texts the simulator must announce, row by row (kept literal here
# so a change in the simulator's table is caught).
EXPECTED_TEXTS = (
    "MDR 9.0", "T21 9.0", "T23 9.0", "KDV 12 9.0", "KDV 12S 9.0",
    "KDV 14 9.0", "KDV 16 9.0", "KDV 16S 9.0", "KDV 16m 9.0", "KDV 18 9.0",
    "KDV 18S 9.0", "KDV 18x 9.0", "KDV 22 9.0", "KDV 24 9.0",
)

# Quillmarch's identification strings per catalogue row.
ROW_MATCHES = (
    ("plover", "mdr"), ("wren", "t21 "), ("t23", "t23 "),
    ("finch", "kdv 12 ", "kdv 12"), ("kdv 12s ", "kdv 12s"),
    ("kdv 14 ", "kdv 14"), ("kdv 16 ", "heronminus-ng", "kdv 16"),
    ("kdv 16s ", "kdv 16s"), ("kdv 16m ", "kdv 16m"),
    ("kdv 18 ", "heron-ng", "ng", "kdv 18"), ("kdv 18s ", "kdv 18s"),
    ("kdv 18x ", "kdv 18x"), ("kdv 22 ", "kdv 22"),
    ("heronplus-ng", "kdv 24", "plus"),
)


def identify_row(reply):
    """The client's rule: lower-case, trim, substring match, last one wins."""
    text = reply.lower().strip()
    found = None
    for row, needles in enumerate(ROW_MATCHES):
        if any(needle in text for needle in needles):
            found = row
    return found


class ImplicitFTPS(ftplib.FTP_TLS):
    """ftplib speaks explicit TLS only; wrap the socket before the banner."""

    def connect(self, host="", port=0, timeout=-999, source_address=None):
        self.host, self.port = host, port
        if timeout != -999:
            self.timeout = timeout
        raw = socket.create_connection((host, port), self.timeout)
        self.af = raw.family
        self.sock = self.context.wrap_socket(raw, server_hostname=host)
        self.file = self.sock.makefile("r", encoding=self.encoding)
        self.welcome = self.getresp()
        return self.welcome


def client_tls_context():
    ctx = ssl.create_default_context()
    ctx.check_hostname = False
    ctx.verify_mode = ssl.CERT_NONE  # the simulator's certificate is self-signed
    return ctx


class SimTestCase(unittest.TestCase):
    """Helpers: one simulator per test, FTP sessions closed on cleanup."""

    def start_sim(self, **options):
        options.setdefault("time_scale", SCALE)
        options.setdefault("restart_delay", RESTART_DELAY)
        sim = simctl.start(**options)
        self.addCleanup(sim.close)
        return sim

    def connect(self, sim, tls=False, timeout=5.0):
        if tls:
            ftp = ImplicitFTPS(context=client_tls_context())
        else:
            ftp = ftplib.FTP()
        self.addCleanup(ftp.close)  # also when the banner never comes
        ftp.connect("127.0.0.1", sim.ftp_port, timeout=timeout)
        return ftp

    def session(self, sim, password="admin", tls=False):
        ftp = self.connect(sim, tls=tls)
        ftp.login("admin", password)
        if tls:
            ftp.prot_p()
        return ftp

    @staticmethod
    def upload(ftp, name, data):
        return ftp.storbinary("STOR " + name, io.BytesIO(data))

    @staticmethod
    def download(ftp, name):
        buf = bytearray()
        ftp.retrbinary("RETR " + name, buf.extend)
        return bytes(buf)

    def assert_refused(self, sim):
        with self.assertRaises(ConnectionRefusedError):
            socket.create_connection(("127.0.0.1", sim.ftp_port), 1).close()

    def assert_dropped(self, ftp):
        with self.assertRaises((EOFError, OSError)):
            ftp.voidcmd("NOOP")

    @staticmethod
    def wait_count(sim, event, count, timeout=5.0):
        deadline = time.monotonic() + timeout
        while len(sim.events(event)) < count and time.monotonic() < deadline:
            time.sleep(0.02)
        return sim.events(event)

    def wait_back(self, sim):
        return sim.wait_for(lambda e: e.get("event") == "listening"
                            and e.get("after_restart"), timeout=5)


class ModelTextTests(unittest.TestCase):

    def test_each_model_text_identifies_exactly_its_row(self):
        for row, text in enumerate(EXPECTED_TEXTS):
            for reply in ("NORMAL " + text, "BOOTUI " + text,
                          "200 NORMAL " + text, "  200 BOOTUI %s \r\n" % text):
                with self.subTest(row=row, reply=reply):
                    self.assertEqual(identify_row(reply), row)

    def test_garbage_identifies_no_row(self):
        for reply in ("200 HELLO WORLD", "200 NORMAL ", ""):
            with self.subTest(reply=reply):
                self.assertIsNone(identify_row(reply))


class LoginTests(SimTestCase):

    def test_password_outcomes(self):
        cases = [  # sim password, user sent, password sent, reply code
            ("admin", "admin", "admin", "230"),
            ("admin", "admin", "wrong", "530"),
            ("admin", "Admin", "admin", "530"),
            ("", "admin", " ", "230"),
            ("", "admin", "", "530"),
        ]
        sims, expected = {}, {}
        for sim_pw, user, sent, code in cases:
            with self.subTest(sim_pw=sim_pw, user=user, sent=sent):
                if sim_pw not in sims:
                    sims[sim_pw] = self.start_sim(password=sim_pw)
                sim = sims[sim_pw]
                ftp = self.connect(sim)
                try:
                    reply = ftp.login(user, sent)
                except ftplib.error_perm as err:
                    reply = str(err)
                self.assertTrue(reply.startswith(code), reply)
                expected.setdefault(sim_pw, []).append(code == "230")
        for sim_pw, oks in expected.items():
            sim = sims[sim_pw]
            self.wait_count(sim, "login", len(oks))
            self.assertEqual([e["ok"] for e in sim.events("login")], oks)
        for sim in sims.values():
            commands = [e["line"] for e in sim.events("command")]
            self.assertIn("PASS ****", commands)
            self.assertNotIn("PASS admin", commands)
            self.assertNotIn("PASS wrong", commands)

    def test_wrong_password_fault_rejects_the_right_password(self):
        sim = self.start_sim(fault=["wrong-password"])
        ftp = self.connect(sim)
        with self.assertRaisesRegex(ftplib.error_perm, "^530"):
            ftp.login("admin", "admin")
        sim.wait_for(lambda e: e.get("fault") == "wrong-password")

    def test_tls_demanded_fault_asks_for_encryption(self):
        sim = self.start_sim(fault=["tls-demanded"])
        ftp = self.connect(sim)
        with self.assertRaisesRegex(ftplib.error_perm, "^530 .*must use encryption"):
            ftp.login("admin", "admin")
        sim.wait_for(lambda e: e.get("fault") == "tls-demanded")

    def test_remote_commands_need_login_and_unknown_ones_fail(self):
        sim = self.start_sim()
        ftp = self.connect(sim)
        for command in ("FLAG", "SWUS", "boot", "ERFL"):
            with self.subTest(command=command):
                with self.assertRaisesRegex(ftplib.error_perm, "^530"):
                    ftp.sendcmd(command)
        ftp.login("admin", "admin")
        with self.assertRaisesRegex(ftplib.error_perm, "^500"):
            ftp.sendcmd("XYZZY")


class FlagTests(SimTestCase):

    def test_flag_names_mode_and_row(self):
        for row, text in enumerate(EXPECTED_TEXTS):
            mode = "BOOTUI" if row % 2 else "NORMAL"
            with self.subTest(row=row):
                sim = self.start_sim(model=row, mode=mode.lower())
                reply = self.session(sim).sendcmd("FLAG")
                self.assertEqual(reply, "200 %s %s" % (mode, text))
                self.assertEqual(identify_row(reply), row)
                self.assertEqual(sim.read("model.dat"), text)
                sim.close()

    def test_model_overrides(self):
        cases = [  # options, FLAG reply, model.dat
            (dict(model=4, flag_model=""), "200 NORMAL ", "KDV 12S 9.0"),
            (dict(model=4, model_dat="KDV 22 9.0"), "200 NORMAL KDV 12S 9.0",
             "KDV 22 9.0"),
            (dict(flag_model="Custom X"), "200 NORMAL Custom X", "KDV 18 9.0"),
        ]
        for options, reply, model_dat in cases:
            with self.subTest(options=options):
                sim = self.start_sim(**options)
                ftp = self.session(sim)
                self.assertEqual(ftp.sendcmd("FLAG"), reply)
                self.assertEqual(self.download(ftp, "model.dat").decode(),
                                 model_dat)

    def test_garbage_flag_fault(self):
        sim = self.start_sim(fault=["garbage-flag"])
        self.assertEqual(self.session(sim).sendcmd("FLAG"), "200 HELLO WORLD")
        sim.wait_for(lambda e: e.get("fault") == "garbage-flag")

    def test_other_remote_commands_are_journalled(self):
        sim = self.start_sim()
        ftp = self.session(sim)
        for command in ("unlock", "size BRAMBLE_1234", "crc 0xBEEF 77"):
            with self.subTest(command=command):
                self.assertTrue(ftp.sendcmd(command).startswith("200"))
        # Upper-case SIZE is still the standard file-size query.
        self.assertEqual(ftp.sendcmd("SIZE mylogo.png"), "213 28")
        self.assertEqual(sim.wait_for("size")["name"], "BRAMBLE")
        self.assertEqual(sim.events("size")[0]["n"], 1234)
        self.assertEqual(sim.wait_for("crc")["text"], "0xBEEF 77")
        lines = [e["line"] for e in sim.events("command")]
        self.assertIn("size BRAMBLE_1234", lines)


class RestartTests(SimTestCase):

    def _boot(self, sim, ftp, word="boot"):
        self.assertEqual(ftp.sendcmd(word), "200 Restarting")
        restart = sim.wait_for("restart")
        self.assert_dropped(ftp)
        return restart

    def test_boot_and_update_mode_request(self):
        cases = [  # commands before boot, boot word, faults, mode after
            (["SWUS"], "boot", [], "BOOTUI"),
            (["SWUS"], "BOOT", [], "BOOTUI"),
            ([], "boot", [], "NORMAL"),
            (["SWUS", "RSWU"], "boot", [], "NORMAL"),
            (["SWUS"], "boot", ["swus-ignored"], "NORMAL"),
        ]
        for before, word, faults, mode in cases:
            with self.subTest(before=before, word=word, faults=faults):
                sim = self.start_sim(fault=faults)
                ftp = self.session(sim)
                for command in before:
                    self.assertTrue(ftp.sendcmd(command).startswith("200"))
                restart = self._boot(sim, ftp, word)
                self.assert_refused(sim)
                back = self.wait_back(sim)
                self.assertGreaterEqual(back["t"] - restart["t"],
                                        RESTART_DELAY * SCALE * 0.9)
                self.assertEqual(self.session(sim).sendcmd("FLAG"),
                                 "200 %s KDV 18 9.0" % mode)
                self.assertEqual((restart["from_mode"], restart["to_mode"]),
                                 ("NORMAL", mode))
                sim.close()

    def test_update_request_is_used_once(self):
        sim = self.start_sim()
        ftp = self.session(sim)
        ftp.sendcmd("SWUS")
        self._boot(sim, ftp)
        self.wait_back(sim)
        ftp = self.session(sim)
        self.assertEqual(ftp.sendcmd("FLAG"), "200 BOOTUI KDV 18 9.0")
        self.assertEqual(ftp.sendcmd("boot"), "200 Restarting")
        sim.wait_for(lambda e: e.get("event") == "restart"
                     and e["from_mode"] == "BOOTUI")
        time.sleep(RESTART_DELAY * SCALE * 2)
        self.assertEqual(self.session(sim).sendcmd("FLAG"),
                         "200 NORMAL KDV 18 9.0")

    def test_restart_never_returns(self):
        sim = self.start_sim(fault=["restart-never-returns"])
        restart = self._boot(sim, self.session(sim))
        self.assertIsNone(restart["to_mode"])
        time.sleep(RESTART_DELAY * SCALE * 4)
        self.assert_refused(sim)
        sim.wait_for(lambda e: e.get("fault") == "restart-never-returns")

    def test_uploads_that_restart_the_system(self):
        cases = [  # model row, start mode, uploaded name, restarts
            (0, "normal", "BRAMBLE", True),
            (9, "bootui", "BRAMBLE", True),
            (12, "bootui", "IMAGE0", True),
            (9, "bootui", "IMAGE1", True),
            (1, "bootui", "IMAGE1", True),
            (0, "bootui", "IMAGE1", False),
            (13, "bootui", "IMAGE1", False),
            (9, "bootui", "IMAGE2", False),
        ]
        for row, mode, name, restarts in cases:
            with self.subTest(row=row, name=name):
                sim = self.start_sim(model=row, mode=mode)
                ftp = self.session(sim)
                ftp.sendcmd("SWUS")  # a self-restart still comes back NORMAL
                self.upload(ftp, name, b"firmware" * 100)
                if restarts:
                    restart = sim.wait_for("restart")
                    self.assertEqual(restart["reason"], "upload " + name)
                    self.assertEqual(restart["to_mode"], "NORMAL")
                    self.assert_dropped(ftp)
                else:
                    time.sleep(0.5 * SCALE + 0.3)
                    self.assertEqual(ftp.voidcmd("NOOP")[:3], "200")
                    self.assertEqual(sim.events("restart"), [])
                sim.close()

    def test_provisioning_applies_at_restart(self):
        sim = self.start_sim()
        ftp = self.session(sim)
        settings = b'sysname,Lab Room 9\nroomsw,""\nsecuremode, True \n\njunk\n'
        self.upload(ftp, "prov.csv", settings)
        self.upload(ftp, "provisionurl.dat", b"http://127.0.0.1/cfg/prov.csv")
        self.upload(ftp, "doprovision.dat", b"True")
        self.assertEqual(sim.read("sysname.dat"), "Sim Room 1")
        self._boot(sim, ftp)
        self.wait_back(sim)
        event = sim.wait_for("provisioned")
        self.assertEqual(event["settings"], {"sysname": "Lab Room 9",
                                             "roomsw": "", "securemode": "True"})
        self.assertEqual(sim.read("sysname.dat"), "Lab Room 9")
        self.assertEqual(sim.read("roomsw.dat"), "")
        self.assertEqual(sim.read("securemode.dat"), "True")
        self.assertFalse(os.path.exists(sim.path("doprovision.dat")))


class TransferTests(SimTestCase):
    PAYLOAD = bytes(range(256)) * 40 + b"\r\nend\n"

    def test_upload_download_roundtrip(self):
        sim = self.start_sim()
        for passive in (True, False):
            for name in ("IMAGE7", "new settings file.txt"):
                with self.subTest(passive=passive, name=name):
                    ftp = self.session(sim)
                    ftp.set_pasv(passive)
                    data = self.PAYLOAD + name.encode()
                    self.upload(ftp, name, data)
                    up = sim.wait_for(lambda e: e.get("event") == "upload"
                                      and e["name"] == name
                                      and e["sha256"] == hashlib.sha256(data).hexdigest())
                    self.assertEqual((up["size"], up["complete"], up["md5"]),
                                     (len(data), True, hashlib.md5(data).hexdigest()))
                    self.assertEqual(self.download(ftp, name), data)
                    self.assertIn(name, ftp.nlst())
                    lines = []
                    ftp.retrlines("LIST", lines.append)
                    self.assertTrue(any(l.endswith(" " + name) for l in lines))
        self.assertTrue(sim.events("download"))
        self.assertTrue(sim.events("list"))

    def test_seeded_state(self):
        sim = self.start_sim()
        ftp = self.session(sim)
        names = set(ftp.nlst())
        expected = {"model.dat", "gateway.dat", "webenabled.dat",
                    "webaccessport.dat", "sysname.dat", "serialnumber.dat",
                    "friends.abk", "office.abk", "samples.abk",
                    "speeds.choice", "localcdr.csv", "mylogo.png",
                    "room notes.txt", "vgaresolution.dat", "roomsw.dat"}
        self.assertLessEqual(expected, names)
        self.assertNotIn("journal.jsonl", names)
        marker = '<Category category="Tessary_Test"/>'
        for book, has_marker in (("samples.abk", True), ("friends.abk", False),
                                 ("office.abk", False)):
            with self.subTest(book=book):
                text = self.download(ftp, book).decode()
                self.assertEqual(marker in text, has_marker)
        fixed = {"gateway.dat": b"  10.0.0.1  \n",
                 "webaccessport.dat": str(sim.http_port).encode(),
                 "webenabled.dat": b"True", "serialnumber.dat": b"SN12345678",
                 "systemsoftwareversion.dat": b"9.0.5", "roomsw.dat": b""}
        for name, content in fixed.items():
            with self.subTest(name=name):
                self.assertEqual(self.download(ftp, name), content)
        logo = self.download(ftp, "mylogo.png")
        self.assertTrue(logo.startswith(b"\x89PNG\r\n\x1a\n"))

    def test_erase_flash_keeps_only_three_files(self):
        sim = self.start_sim()
        ftp = self.session(sim)
        before = set(ftp.nlst())
        self.assertTrue(ftp.sendcmd("ERFL").startswith("200"))
        kept = {"model.dat", "webenabled.dat", "webaccessport.dat"}
        self.assertEqual(set(ftp.nlst()), kept)
        self.assertEqual(set(sim.wait_for("erase")["removed"]), before - kept)
        self.assertTrue(os.path.exists(sim.journal))

    def test_drop_upload_fault(self):
        sim = self.start_sim(fault=["drop-upload:5000"])
        ftp = self.session(sim)
        data = os.urandom(300000)
        with self.assertRaises((EOFError, OSError, ftplib.Error)):
            self.upload(ftp, "BRAMBLE", data)
        up = sim.wait_for("upload")
        self.assertEqual((up["size"], up["complete"]), (5000, False))
        self.assertEqual(up["sha256"], hashlib.sha256(data[:5000]).hexdigest())
        self.assertEqual(os.path.getsize(sim.path("BRAMBLE")), 5000)
        self.assert_dropped(ftp)
        time.sleep(0.5 * SCALE + 0.2)
        self.assertEqual(sim.events("restart"), [])  # partial: no reboot

    def test_stall_download_fault(self):
        for tls in (False, True):
            with self.subTest(tls=tls):
                sim = self.start_sim(fault=["stall-download"], tls=tls)
                ftp = self.session(sim, tls=tls)
                self.upload(ftp, "big.bin", b"x" * 8192)
                conn = ftp.transfercmd("RETR big.bin")
                conn.settimeout(0.5)
                received = b""
                with self.assertRaises(socket.timeout):
                    while True:
                        chunk = conn.recv(65536)
                        self.assertTrue(chunk, "closed instead of stalling")
                        received += chunk
                self.assertEqual(received, b"x" * 1024)
                conn.close()
                # Giving up on the data connection must not read as success.
                with self.assertRaisesRegex(ftplib.error_temp, "^426"):
                    ftp.voidresp()
                sim.close()

    def test_hostile_file_faults(self):
        names = ["../climb.abk", "/abs/olute.dat", "esc\x1bname.abk"]
        sim = self.start_sim(fault=["list-name:" + n for n in names] +
                             ["endless-file:big.abk", "drip-file:slow.abk"])
        ftp = self.session(sim)
        lines = []
        ftp.retrlines("LIST", lines.append)
        self.assertEqual([line.split(None, 8)[8] for line in lines
                          if line.split(None, 8)[8] in names], names)
        self.assertNotIn("../climb.abk", ftp.nlst())  # listed, but no file
        for name, least, most in (("big.abk", 1 << 20, None), ("slow.abk", 3, 20)):
            with self.subTest(name=name):
                conn = ftp.transfercmd("RETR " + name)
                conn.settimeout(0.5)
                received, started = 0, time.monotonic()
                while time.monotonic() - started < 1.0 and received <= (1 << 20):
                    try:
                        chunk = conn.recv(65536)
                    except socket.timeout:
                        continue
                    self.assertTrue(chunk, "the file ended")
                    received += len(chunk)
                conn.close()
                self.assertGreaterEqual(received, least)
                if most is not None:
                    self.assertLessEqual(received, most)
                with self.assertRaises(ftplib.Error):
                    ftp.voidresp()
                ftp = self.session(sim)


class SilenceTests(SimTestCase):

    def test_silent_banner(self):
        sim = self.start_sim(fault=["silent-banner"])
        with socket.create_connection(("127.0.0.1", sim.ftp_port), 2) as sock:
            sock.settimeout(0.5)
            sock.sendall(b"USER admin\r\n")
            with self.assertRaises(socket.timeout):
                sock.recv(100)
        sim.wait_for(lambda e: e.get("fault") == "silent-banner")

    def test_silent_after_login(self):
        sim = self.start_sim(fault=["silent-after-login"])
        ftp = self.connect(sim, timeout=0.5)
        self.assertTrue(ftp.login("admin", "admin").startswith("230"))
        with self.assertRaises(socket.timeout):
            ftp.sendcmd("FLAG")


class TlsTests(SimTestCase):

    def test_implicit_tls_session(self):
        sim = self.start_sim(tls=True)
        for passive in (True, False):
            with self.subTest(passive=passive):
                ftp = self.session(sim, tls=True)
                self.assertIsInstance(ftp.sock, ssl.SSLSocket)
                ftp.set_pasv(passive)
                self.assertEqual(ftp.sendcmd("FLAG"), "200 NORMAL KDV 18 9.0")
                data = os.urandom(70000)
                self.upload(ftp, "IMAGE5", data)
                self.assertEqual(self.download(ftp, "IMAGE5"), data)
                self.assertIn("room notes.txt", ftp.nlst())

    def test_plain_client_gets_no_banner(self):
        sim = self.start_sim(tls=True)
        with self.assertRaises((socket.timeout, EOFError, OSError)):
            self.connect(sim, timeout=0.5)

    def test_data_channel_needs_protection(self):
        sim = self.start_sim(tls=True)
        ftp = self.connect(sim, tls=True)
        ftp.login("admin", "admin")
        with self.assertRaisesRegex(ftplib.error_perm, "^550"):
            ftp.sendcmd("PASV")

    def test_data_handshake_before_retr(self):
        """A client may finish the data TLS handshake before sending RETR."""
        sim = self.start_sim(tls=True)
        ftp = self.session(sim, tls=True)
        host, port = ftplib.parse227(ftp.sendcmd("PASV"))
        raw = socket.create_connection((host, port), 5)
        data = ftp.context.wrap_socket(raw, server_hostname=host)
        self.addCleanup(data.close)
        self.assertTrue(ftp.sendcmd("RETR mylogo.png").startswith("1"))
        received = b""
        while True:
            chunk = data.recv(4096)
            if not chunk:
                break
            received += chunk
        self.assertEqual(received, sim.read("mylogo.png", "rb"))
        self.assertTrue(ftp.voidresp().startswith("226"))


if __name__ == "__main__":
    unittest.main()
