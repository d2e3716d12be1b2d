# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""HTTP side of the simulator: basic-auth protected status page and the
message endpoint, every request journalled."""

import base64
import binascii
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

HTTP_USER = "Admin"
MAX_BODY = 1 << 20


def confstatus_xml(config):
    speed = config.in_call
    state = "Connected" if speed else "Idle"
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        "<ConfStatus>\n"
        "  <CALLSTATE>%s</CALLSTATE>\n"
        "  <LINESPEED>%d</LINESPEED>\n"
        "  <SYSNAME>Sim Room 1</SYSNAME>\n"
        "  <MODEL>%s</MODEL>\n"
        "</ConfStatus>\n" % (state, speed, config.model_text)
    ).encode("utf-8")


def _header_lists(headers):
    """name -> list of values, so a duplicated header shows twice."""
    result = {}
    for name, value in headers.items():
        result.setdefault(name, []).append(value)
    return result


class SimHttpHandler(BaseHTTPRequestHandler):
    server_version = "TessaryWeb/1.0"
    sim_config = None
    sim_journal = None

    def version_string(self):
        return self.server_version  # no interpreter banner, like a device

    def log_message(self, fmt, *args):
        pass  # the journal is the log

    # --- request plumbing

    def _authorised(self):
        value = self.headers.get("Authorization", "")
        scheme, _, token = value.partition(" ")
        if scheme.lower() != "basic":
            return False
        try:
            decoded = base64.b64decode(token.strip(), validate=True).decode("utf-8")
        except (binascii.Error, UnicodeDecodeError):
            return False
        user, sep, password = decoded.partition(":")
        return (sep and user == HTTP_USER
                and password == self.sim_config.login_password)

    def _read_chunked(self):
        body = b""
        while len(body) <= MAX_BODY:
            size_line = self.rfile.readline(1024)
            size = int(size_line.split(b";")[0].strip() or b"0", 16)
            if size == 0:
                while self.rfile.readline(1024).strip():
                    pass  # trailers
                return body
            body += self.rfile.read(size)
            self.rfile.readline(8)  # CRLF after each chunk
        return body

    def _read_body(self):
        if "chunked" in self.headers.get("Transfer-Encoding", "").lower():
            return self._read_chunked()
        # With a duplicated Content-Length the first one decides.
        lengths = self.headers.get_all("Content-Length") or ["0"]
        try:
            length = min(int(lengths[0].strip()), MAX_BODY)
        except ValueError:
            length = 0
        return self.rfile.read(length) if length > 0 else b""

    def _reply(self, status, body, content_type="text/plain", extra=()):
        self.send_response(status)
        for name, value in extra:
            self.send_header(name, value)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def _route(self):
        if not self._authorised():
            return 401, b"Unauthorized\n", "text/plain", (
                ("WWW-Authenticate", 'Basic realm="Tessary"'),)
        if self.command in ("GET", "HEAD") and self.path == "/confstatus.xml":
            return 200, confstatus_xml(self.sim_config), "text/xml", ()
        if self.command == "POST" and self.path == "/a_sendmessage.cgi":
            return 200, b"OK", "text/plain", ()
        return 404, b"Not Found\n", "text/plain", ()

    def _handle(self):
        try:
            body = self._read_body()
        except (OSError, ValueError):
            body = b""
        status, reply, ctype, extra = self._route()
        self.sim_journal.write(
            "http", method=self.command, path=self.path, status=status,
            request_line=self.requestline,
            headers=_header_lists(self.headers),
            body=body.decode("utf-8", errors="replace"),
            body_length=len(body),
            body_base64=base64.b64encode(body).decode("ascii"))
        self._reply(status, reply, ctype, extra)

    do_GET = do_POST = do_PUT = do_DELETE = do_HEAD = _handle


class HttpService:
    """Threaded HTTP server on its own thread."""

    def __init__(self, config, journal, port):
        handler = type("BoundHttpHandler", (SimHttpHandler,),
                       {"sim_config": config, "sim_journal": journal})
        self.server = ThreadingHTTPServer((config.host, port), handler)
        self.server.daemon_threads = True
        self.port = self.server.server_address[1]
        self._thread = threading.Thread(target=self.server.serve_forever,
                                        kwargs={"poll_interval": 0.1},
                                        name="http", daemon=True)

    def start(self):
        self._thread.start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()
