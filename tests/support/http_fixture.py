#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""A tiny stand-in for the system's web server, for the web client's unit tests.

Serves GET /confstatus.xml (with the LINESPEED it is given) and POST /a_sendmessage.cgi
behind basic authentication as "Admin", over plain HTTP or TLS with a self-signed
certificate. Every request is stored byte for byte as it arrived (NNN.request in the
record folder), every failed TLS handshake as NNN.handshake-failed, and TLS bytes on the
plain port as NNN.not-http, so tests can assert on the exact wire.

Prints one JSON line {"port": N} when it listens, or {"error": "..."} and exits 3 when it
cannot. Listens on loopback only; stops on SIGTERM, when its parent goes away, or after
--lifetime seconds."""

import argparse
import base64
import binascii
import json
import os
import shutil
import signal
import socket
import ssl
import sys
import tempfile
import time

MAX_HEAD = 64 * 1024
MAX_BODY = 1 << 20
TLS_RECORD_HANDSHAKE = 0x16


class Recorder:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    def write(self, kind, data):
        self.count += 1
        name = os.path.join(self.folder, "%03d.%s" % (self.count, kind))
        with open(name + ".tmp", "wb") as fh:
            fh.write(data)
        os.replace(name + ".tmp", name)  # readers never see half a file


def self_signed_context(workdir):
    """A server context with a fresh certificate that no trust store knows."""
    from cryptography import x509
    from cryptography.hazmat.primitives import hashes, serialization
    from cryptography.hazmat.primitives.asymmetric import ec
    from cryptography.x509.oid import NameOID
    import datetime
    import ipaddress

    key = ec.generate_private_key(ec.SECP256R1())
    name = x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, "fixture.invalid")])
    now = datetime.datetime.now(datetime.timezone.utc)
    cert = (x509.CertificateBuilder().subject_name(name).issuer_name(name)
            .public_key(key.public_key()).serial_number(x509.random_serial_number())
            .not_valid_before(now - datetime.timedelta(minutes=5))
            .not_valid_after(now + datetime.timedelta(days=1))
            .add_extension(x509.SubjectAlternativeName(
                [x509.IPAddress(ipaddress.ip_address("127.0.0.1"))]), critical=False)
            .sign(key, hashes.SHA256()))
    cert_path = os.path.join(workdir, "cert.pem")
    key_path = os.path.join(workdir, "key.pem")
    with open(cert_path, "wb") as fh:
        fh.write(cert.public_bytes(serialization.Encoding.PEM))
    with open(key_path, "wb") as fh:
        fh.write(key.private_bytes(serialization.Encoding.PEM,
                                   serialization.PrivateFormat.PKCS8,
                                   serialization.NoEncryption()))
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert_path, key_path)
    return context


def read_request(conn):
    """Head and body as sent; the first Content-Length decides the body's size."""
    data = b""
    while b"\r\n\r\n" not in data and len(data) < MAX_HEAD:
        chunk = conn.recv(4096)
        if not chunk:
            break
        data += chunk
        if data[:1] == bytes([TLS_RECORD_HANDSHAKE]):
            return data, None
    head, _, body = data.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    headers = [line.partition(":") for line in lines[1:]]
    lengths = [v.strip() for n, _, v in headers if n.strip().lower() == "content-length"]
    try:
        length = min(int(lengths[0]), MAX_BODY) if lengths else 0
    except ValueError:
        length = 0
    while len(body) < length:
        chunk = conn.recv(length - len(body))
        if not chunk:
            break
        body += chunk
    return head + b"\r\n\r\n" + body, (lines[0], headers)


def authorised(headers, password):
    for name, _, value in headers:
        if name.strip().lower() != "authorization":
            continue
        scheme, _, token = value.strip().partition(" ")
        if scheme.lower() != "basic":
            return False
        try:
            decoded = base64.b64decode(token.strip(), validate=True).decode("utf-8")
        except (binascii.Error, UnicodeDecodeError):
            return False
        return decoded == "Admin:" + password
    return False


def answer(request_line, headers, args):
    if not authorised(headers, args.password):
        return 401, b"Unauthorized\n", [("WWW-Authenticate", 'Basic realm="fixture"')]
    if request_line == "GET /confstatus.xml HTTP/1.1":
        body = ("<?xml version=\"1.0\"?>\n<ConfStatus>\n  <LINESPEED>%d</LINESPEED>\n"
                "</ConfStatus>\n" % args.linespeed)
        return 200, body.encode("ascii"), []
    if request_line == "POST /a_sendmessage.cgi HTTP/1.1":
        return 200, b"OK", []
    return 404, b"Not Found\n", []


def serve_one(conn, args, recorder, context):
    conn.settimeout(5)
    if context is not None:
        try:
            conn = context.wrap_socket(conn, server_side=True)
        except (ssl.SSLError, OSError) as error:
            recorder.write("handshake-failed", str(error).encode("utf-8"))
            return
        with conn:
            exchange(conn, args, recorder)
        return
    exchange(conn, args, recorder)


def exchange(conn, args, recorder):
    raw, parsed = read_request(conn)
    if parsed is None:
        recorder.write("not-http", raw)
        return
    recorder.write("request", raw)
    status, body, extra = answer(parsed[0], parsed[1], args)
    reason = {200: "OK", 401: "Unauthorized", 404: "Not Found"}[status]
    head = "HTTP/1.1 %d %s\r\n" % (status, reason)
    for name, value in extra + [("Content-Length", str(len(body))), ("Connection", "close")]:
        head += "%s: %s\r\n" % (name, value)
    conn.sendall(head.encode("ascii") + b"\r\n" + body)


def listen(args):
    family = socket.AF_INET6 if ":" in args.host else socket.AF_INET
    server = socket.socket(family, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind((args.host, args.port))
    server.listen(8)
    server.settimeout(0.1)
    return server


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--host", default="127.0.0.1", choices=("127.0.0.1", "::1"))
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--tls", action="store_true")
    p.add_argument("--password", default="admin")
    p.add_argument("--linespeed", type=int, default=0)
    p.add_argument("--record-dir", required=True)
    p.add_argument("--lifetime", type=float, default=120.0)
    args = p.parse_args()

    stopping = []
    signal.signal(signal.SIGTERM, lambda *_: stopping.append(True))
    workdir = tempfile.mkdtemp(prefix="http-fixture-")
    try:
        context = self_signed_context(workdir) if args.tls else None
        server = listen(args)
    except OSError as error:
        print(json.dumps({"error": str(error)}), flush=True)
        shutil.rmtree(workdir, ignore_errors=True)
        return 3
    print(json.dumps({"port": server.getsockname()[1]}), flush=True)
    recorder = Recorder(args.record_dir)
    parent = os.getppid()
    deadline = time.monotonic() + args.lifetime
    while not stopping and os.getppid() == parent and time.monotonic() < deadline:
        try:
            conn, _ = server.accept()
        except (socket.timeout, InterruptedError):
            continue
        try:
            serve_one(conn, args, recorder, context)
        except OSError:
            pass  # the client went away; the next one is served
        finally:
            conn.close()
    server.close()
    shutil.rmtree(workdir, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
