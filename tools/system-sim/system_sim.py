#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Tessary system simulator: an FTP(S) + HTTP stand-in for the video
conferencing system that Quillmarch updates. See README.md next to this file.

Prints one JSON line with the chosen ports once both servers listen, then
runs until SIGTERM/SIGINT."""

import argparse
import json
import logging
import os
import signal
import socket
import sys
import tempfile
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import sim_core as core  # noqa: E402  (needs the path above)
from sim_ftp import FtpService  # noqa: E402
from sim_http import HttpService  # noqa: E402

TIME_SCALE_ENV = "QUILLMARCH_TIME_SCALE"


def _fault(text):
    name, _, value = text.partition(":")
    if name == "drop-upload":
        try:
            return name, int(value)
        except ValueError:
            raise argparse.ArgumentTypeError("drop-upload needs :BYTES")
    if name in core.NAMED_FAULTS:
        if not value:
            raise argparse.ArgumentTypeError("%s needs :NAME" % name)
        return name, value
    if name not in core.SIMPLE_FAULTS or value:
        raise argparse.ArgumentTypeError("unknown fault %r" % text)
    return name, None


def _parser():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--model", type=int, default=9,
                   choices=range(len(core.MODEL_TEXTS)), metavar="0..13")
    p.add_argument("--flag-model", default=None,
                   help="model text in the FLAG reply (may be empty)")
    p.add_argument("--model-dat", default=None, help="contents of model.dat")
    p.add_argument("--password", default="admin")
    p.add_argument("--mode", choices=("normal", "bootui"), default="normal")
    p.add_argument("--host", default="127.0.0.1", choices=("127.0.0.1",))
    p.add_argument("--ftp-port", type=int, default=0)
    p.add_argument("--http-port", type=int, default=0)
    p.add_argument("--tls", action="store_true", help="implicit FTPS")
    p.add_argument("--state-dir", default=None)
    p.add_argument("--journal", default=None)
    p.add_argument("--restart-delay", type=float, default=3.0)
    p.add_argument("--apply-time", type=float, default=0.5,
                   help="seconds an image is applied before the restart")
    p.add_argument("--software-version", default=None,
                   help="systemsoftwareversion.dat at start")
    p.add_argument("--installed-version", default=None,
                   help="version an image installs (default: the one it carries)")
    p.add_argument("--time-scale", type=float, default=None)
    p.add_argument("--in-call", type=int, default=0, metavar="LINESPEED")
    p.add_argument("--call-ends-after", type=float, default=None, metavar="S",
                   help="the call of --in-call ends S seconds (x time scale) after the start")
    p.add_argument("--fault", type=_fault, action="append", default=[])
    p.add_argument("--ready-file", default=None)
    p.add_argument("--verbose", action="store_true",
                   help="pyftpdlib logging on stderr")
    return p


def _time_scale(value):
    if value is not None:
        return value
    try:
        return float(os.environ.get(TIME_SCALE_ENV, "1.0"))
    except ValueError:
        return 1.0


def config_from_args(argv):
    args = _parser().parse_args(argv)
    state_dir = os.path.abspath(args.state_dir or
                                tempfile.mkdtemp(prefix="tessary-sim-"))
    faults = dict(args.fault)
    named = {name: tuple(v for n, v in args.fault if n == name)
             for name in core.NAMED_FAULTS}
    return core.SimConfig(
        model=args.model, flag_model=args.flag_model,
        model_dat=args.model_dat, password=args.password,
        mode=args.mode.upper(), host=args.host, ftp_port=args.ftp_port,
        http_port=args.http_port, tls=args.tls, state_dir=state_dir,
        journal=os.path.abspath(args.journal or
                                os.path.join(state_dir, "journal.jsonl")),
        restart_delay=args.restart_delay,
        time_scale=_time_scale(args.time_scale), in_call=args.in_call,
        call_ends_after=args.call_ends_after,
        faults=frozenset(faults), drop_upload_bytes=faults.get("drop-upload"),
        list_names=named["list-name"],
        endless_files=frozenset(named["endless-file"]),
        drip_files=frozenset(named["drip-file"]),
        ready_file=args.ready_file, verbose=args.verbose,
        apply_time=args.apply_time, software_version=args.software_version,
        installed_version=args.installed_version)


def _unused_port(host):
    """A port nobody listens on, for the no-web fault to point at."""
    with socket.socket() as s:
        s.bind((host, 0))
        return s.getsockname()[1]


class Simulator:
    """Wires the journal, the state folder, FTP and HTTP together."""

    def __init__(self, config):
        self.config = config
        os.makedirs(config.state_dir, exist_ok=True)
        self.journal = core.Journal(config.journal)
        self.ftp = None
        self.http = None
        self.stopping = False

    def start(self):
        cfg = self.config
        if cfg.has("no-web"):
            http_port = cfg.http_port or _unused_port(cfg.host)
            self.journal.write("fault", fault="no-web")
        else:
            self.http = HttpService(cfg, self.journal, cfg.http_port)
            http_port = self.http.port
        seeded = core.prepare_state_dir(cfg, http_port)
        self.ftp = FtpService(cfg, self.journal)
        self.ftp.listen()
        if self.http:
            self.http.start()
        self._schedule_call_end()
        self.journal.write("listening", ftp_port=self.ftp.port,
                           http_port=http_port, mode=self.ftp.mode,
                           tls=cfg.tls, model=cfg.model, seeded=seeded)
        return {"ftp_port": self.ftp.port, "http_port": http_port,
                "pid": os.getpid(), "state_dir": cfg.state_dir,
                "journal": cfg.journal}

    def _schedule_call_end(self):
        cfg = self.config
        if not cfg.in_call or cfg.call_ends_after is None:
            return

        def hang_up():
            cfg.in_call = 0
            self.journal.write("call", state="ended")

        timer = threading.Timer(cfg.scaled(cfg.call_ends_after), hang_up)
        timer.daemon = True
        timer.start()

    def run(self):
        while not self.stopping:
            self.ftp.poll_once()

    def shutdown(self):
        if self.http:
            self.http.stop()
        if self.ftp:
            self.ftp.shutdown()
        self.journal.write("stopped")
        self.journal.close()


def _announce(ready, ready_file):
    line = json.dumps(ready)
    if ready_file:
        tmp = ready_file + ".tmp"
        with open(tmp, "w") as fh:
            fh.write(line + "\n")
        os.replace(tmp, ready_file)  # readers never see half a line
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


def main(argv=None):
    config = config_from_args(argv)
    logging.basicConfig(
        level=logging.DEBUG if config.verbose else logging.WARNING,
        stream=sys.stderr, format="system-sim %(levelname)s %(message)s")
    sim = Simulator(config)

    def stop(signum, frame):
        sim.stopping = True

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    try:
        _announce(sim.start(), config.ready_file)
        sim.run()
    finally:
        sim.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main())
