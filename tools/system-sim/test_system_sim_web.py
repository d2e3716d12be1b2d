# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Tests of the simulator's HTTP side and of the process contract (ready
line, ready file, ports, time scale, clean stop, argument checks)."""

import base64
import ftplib
import json
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import simctl  # noqa: E402

# A proxy from the environment must never see loopback test traffic.
OPENER = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def basic(user, password):
    token = base64.b64encode(("%s:%s" % (user, password)).encode()).decode()
    return "Basic " + token


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class WebTestCase(unittest.TestCase):

    def start_sim(self, **options):
        options.setdefault("time_scale", 0.05)
        sim = simctl.start(**options)
        self.addCleanup(sim.close)
        return sim

    @staticmethod
    def request(sim, path, auth=None, method="GET", data=None):
        req = urllib.request.Request("http://127.0.0.1:%d%s" % (sim.http_port, path),
                                     method=method, data=data)
        if auth:
            req.add_header("Authorization", basic(*auth))
        try:
            with OPENER.open(req, timeout=5) as resp:
                return resp.status, resp.headers, resp.read()
        except urllib.error.HTTPError as err:
            with err:
                return err.code, err.headers, err.read()

    @staticmethod
    def wait_count(sim, event, count, timeout=5.0):
        deadline = time.monotonic() + timeout
        while len(sim.events(event)) < count and time.monotonic() < deadline:
            time.sleep(0.02)
        return sim.events(event)


class HttpTests(WebTestCase):

    def test_basic_authentication(self):
        cases = [  # sim password, credentials, status
            ("admin", ("Admin", "admin"), 200),
            ("admin", ("admin", "admin"), 401),
            ("admin", ("Admin", "wrong"), 401),
            ("admin", None, 401),
            ("", ("Admin", " "), 200),
            ("", ("Admin", ""), 401),
        ]
        sims, seen = {}, {}
        for sim_pw, auth, status in cases:
            with self.subTest(sim_pw=sim_pw, auth=auth):
                sim = sims.get(sim_pw) or sims.setdefault(
                    sim_pw, self.start_sim(password=sim_pw))
                got, headers, _ = self.request(sim, "/confstatus.xml", auth)
                self.assertEqual(got, status)
                if status == 401:
                    self.assertTrue(headers["WWW-Authenticate"].startswith("Basic "))
                seen.setdefault(sim_pw, []).append(status)
        for sim_pw, statuses in seen.items():
            events = self.wait_count(sims[sim_pw], "http", len(statuses))
            self.assertEqual([e["status"] for e in events], statuses)

    def test_a_call_ends_when_told(self):
        sim = self.start_sim(in_call=768, call_ends_after=40, time_scale=0.05)
        speeds = []
        for _ in range(2):
            _, _, body = self.request(sim, "/confstatus.xml", ("Admin", "admin"))
            speeds.append(ET.fromstring(body).findtext("LINESPEED"))
            if speeds == ["768"]:
                sim.wait_for(lambda e: e.get("event") == "call", timeout=5)
        self.assertEqual(speeds, ["768", "0"])
        self.assertEqual([e["state"] for e in sim.events("call")], ["ended"])

    def test_confstatus_reports_line_speed(self):
        for in_call in (0, 768):
            with self.subTest(in_call=in_call):
                sim = self.start_sim(in_call=in_call)
                status, headers, body = self.request(
                    sim, "/confstatus.xml", ("Admin", "admin"))
                self.assertEqual(status, 200)
                self.assertEqual(ET.fromstring(body).findtext("LINESPEED"),
                                 str(in_call))

    def test_unknown_requests_are_404(self):
        sim = self.start_sim()
        for method, path in (("GET", "/nothing.html"),
                             ("POST", "/confstatus.xml"),
                             ("GET", "/a_sendmessage.cgi")):
            with self.subTest(method=method, path=path):
                data = b"x" if method == "POST" else None
                status, _, _ = self.request(sim, path, ("Admin", "admin"),
                                            method, data)
                self.assertEqual(status, 404)
        events = self.wait_count(sim, "http", 3)
        self.assertEqual([(e["method"], e["path"], e["status"]) for e in events],
                         [("GET", "/nothing.html", 404),
                          ("POST", "/confstatus.xml", 404),
                          ("GET", "/a_sendmessage.cgi", 404)])

    def test_sendmessage_journals_the_raw_request(self):
        sim = self.start_sim()
        body = b"message=Call+ends+in+5+min&duration=30\r\n"
        head = ("POST /a_sendmessage.cgi HTTP/1.1\r\n"
                "Host: 127.0.0.1\r\n"
                "Authorization: %s\r\n"
                "Content-Type: application/x-www-form-urlencoded\r\n"
                "Content-Length: %d\r\n"
                "Content-Length: %d\r\n\r\n"
                % (basic("Admin", "admin"), len(body), len(body)))
        with socket.create_connection(("127.0.0.1", sim.http_port), 5) as sock:
            sock.sendall(head.encode() + body)
            reply = b""
            while True:
                chunk = sock.recv(4096)
                if not chunk:
                    break
                reply += chunk
        status_line, _, rest = reply.partition(b"\r\n")
        self.assertIn(b" 200 ", status_line)
        self.assertTrue(rest.endswith(b"\r\n\r\nOK"), reply)
        event = sim.wait_for("http")
        self.assertEqual(event["request_line"], "POST /a_sendmessage.cgi HTTP/1.1")
        self.assertEqual(event["headers"]["Content-Length"],
                         [str(len(body))] * 2)
        self.assertEqual(event["body"].encode(), body)
        self.assertEqual(event["body_length"], len(body))
        self.assertEqual(base64.b64decode(event["body_base64"]), body)

    def test_web_faults(self):
        sim = self.start_sim(fault=["no-web"])
        self.assertEqual(sim.read("webaccessport.dat"), str(sim.http_port))
        with self.assertRaises(ConnectionRefusedError):
            socket.create_connection(("127.0.0.1", sim.http_port), 1).close()
        sim = self.start_sim(fault=["web-disabled"])
        self.assertEqual(sim.read("webenabled.dat"), "False")
        status, _, _ = self.request(sim, "/confstatus.xml", ("Admin", "admin"))
        self.assertEqual(status, 200)


class ProcessTests(WebTestCase):

    def test_ready_line_matches_ready_file_and_stop_is_clean(self):
        tmp = tempfile.mkdtemp(prefix="simtest-")
        self.addCleanup(lambda: subprocess.run(["rm", "-rf", tmp]))
        for signum in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=signum):
                ready = os.path.join(tmp, "ready-%d.json" % signum)
                sim = self.start_sim(ready_file=ready)
                with open(ready) as fh:
                    self.assertEqual(json.load(fh), sim.info)
                self.assertEqual(set(sim.info), {"ftp_port", "http_port", "pid",
                                                 "state_dir", "journal"})
                self.assertEqual(sim.pid, sim.proc.pid)
                sim.proc.send_signal(signum)
                self.assertEqual(sim.proc.wait(5), 0)
                self.assertEqual(sim.events()[-1]["event"], "stopped")

    def test_requested_ports_are_used(self):
        ftp_port, http_port = free_port(), free_port()
        sim = self.start_sim(ftp_port=ftp_port, http_port=http_port)
        self.assertEqual((sim.ftp_port, sim.http_port), (ftp_port, http_port))
        ftp = ftplib.FTP()
        ftp.connect("127.0.0.1", ftp_port, timeout=5)
        self.addCleanup(ftp.close)
        self.assertTrue(ftp.login("admin", "admin").startswith("230"))

    def test_time_scale_flag_and_environment(self):
        cases = [  # environment value, flag value, expected delay
            ("0.02", None, 0.2),
            ("0.02", 0.01, 0.1),
            (None, 0.03, 0.3),
        ]
        for env_value, flag, delay in cases:
            with self.subTest(env=env_value, flag=flag):
                env = dict(os.environ)
                env.pop("QUILLMARCH_TIME_SCALE", None)
                if env_value:
                    env["QUILLMARCH_TIME_SCALE"] = env_value
                sim = simctl.start(restart_delay=10, time_scale=flag, env=env)
                self.addCleanup(sim.close)
                ftp = ftplib.FTP()
                ftp.connect("127.0.0.1", sim.ftp_port, timeout=5)
                self.addCleanup(ftp.close)
                ftp.login("admin", "admin")
                ftp.sendcmd("boot")
                self.assertAlmostEqual(sim.wait_for("restart")["delay"], delay)
                sim.close()

    def test_existing_state_dir_is_kept_not_reseeded(self):
        state = tempfile.mkdtemp(prefix="simstate-")
        self.addCleanup(lambda: subprocess.run(["rm", "-rf", state]))
        with open(os.path.join(state, "own.dat"), "w") as fh:
            fh.write("mine")
        sim = self.start_sim(state_dir=state, model=2)
        self.assertFalse(sim.wait_for("listening")["seeded"])
        self.assertEqual(sorted(os.listdir(state)),
                         ["journal.jsonl", "model.dat", "own.dat",
                          "webaccessport.dat"])
        self.assertEqual(sim.read("model.dat"), "T23 9.0")

    def test_bad_arguments_are_refused(self):
        for argv in (["--fault", "bogus"], ["--fault", "drop-upload"],
                     ["--model", "14"], ["--host", "0.0.0.0"]):
            with self.subTest(argv=argv):
                run = subprocess.run(
                    [simctl.python_executable(), simctl.SIM_SCRIPT] + argv,
                    capture_output=True, timeout=10)
                self.assertEqual(run.returncode, 2)
                self.assertEqual(run.stdout, b"")


if __name__ == "__main__":
    unittest.main()
