# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Start and observe the Tessary system simulator from Python tests.

    import simctl
    with simctl.start(model=3, tls=True, fault=["swus-ignored"]) as sim:
        ... connect to 127.0.0.1:sim.ftp_port ...
        sim.wait_for("restart", timeout=5)
        uploads = sim.events("upload")

Keyword options map to command-line flags (time_scale=0.05 ->
--time-scale 0.05; True -> bare flag; a list repeats the flag)."""

import json
import os
import random
import selectors
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SIM_SCRIPT = os.path.join(HERE, "system_sim.py")
DEBIAN_PYTHON = "/usr/bin/python3"  # has pyftpdlib and pyOpenSSL


def python_executable():
    override = os.environ.get("SYSTEM_SIM_PYTHON")
    if override:
        return override
    return DEBIAN_PYTHON if os.path.exists(DEBIAN_PYTHON) else sys.executable


def build_args(*args, **options):
    argv = [str(a) for a in args]
    for key, value in options.items():
        flag = "--" + key.replace("_", "-")
        if value is None or value is False:
            continue
        if value is True:
            argv.append(flag)
        elif isinstance(value, (list, tuple)):
            for item in value:
                argv += [flag, str(item)]
        else:
            argv += [flag, str(value)]
    return argv


def read_events(path, event=None):
    """Parse a journal; a last line still being written is skipped."""
    try:
        with open(path, encoding="utf-8") as fh:
            text = fh.read()
    except FileNotFoundError:
        return []
    found = []
    for line in text.split("\n")[:-1]:
        if line.strip():
            record = json.loads(line)
            if event is None or record.get("event") == event:
                found.append(record)
    return found


class Simulator:
    """A running simulator process and what it announced."""

    def __init__(self, proc, info, workdir):
        self.proc = proc
        self.info = info
        self.ftp_port = info["ftp_port"]
        self.http_port = info["http_port"]
        self.pid = info["pid"]
        self.state_dir = info["state_dir"]
        self.journal = info["journal"]
        self._workdir = workdir

    @property
    def stderr_path(self):
        return os.path.join(self._workdir, "stderr.log")

    def path(self, name):
        """Absolute path of a file in the system's state folder."""
        return os.path.join(self.state_dir, name)

    def read(self, name, mode="r"):
        with open(self.path(name), mode) as fh:
            return fh.read()

    def events(self, event=None):
        return read_events(self.journal, event)

    def wait_for(self, predicate, timeout=5.0, interval=0.02):
        """First journal event matching predicate (event name or callable)."""
        if isinstance(predicate, str):
            name = predicate
            predicate = lambda e: e.get("event") == name  # noqa: E731
        deadline = time.monotonic() + timeout
        while True:
            for record in self.events():
                if predicate(record):
                    return record
            if time.monotonic() >= deadline:
                tail = self.events()[-5:]
                raise TimeoutError("no matching journal event; last: %r" % tail)
            time.sleep(interval)

    def stop(self, timeout=5.0):
        """SIGTERM, then SIGKILL if it lingers; returns the exit code."""
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        if self.proc.stdout:
            self.proc.stdout.close()
        return self.proc.returncode

    def close(self):
        """stop() and remove the folders start() created."""
        self.stop()
        if self._workdir:
            shutil.rmtree(self._workdir, ignore_errors=True)
            self._workdir = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def _first_line(proc, timeout):
    selector = selectors.DefaultSelector()
    selector.register(proc.stdout, selectors.EVENT_READ)
    try:
        if not selector.select(timeout):
            return ""
        return proc.stdout.readline()
    finally:
        selector.close()


def start(*args, timeout=10.0, env=None, **options):
    """Launch system_sim.py; returns once it has printed its ports.

    Without state_dir a fresh folder is used and removed by close(); env,
    if given, replaces the child's environment."""
    return _announced(*_launch(args, env, options), timeout)


def start_many(option_list, timeout=30.0, env=None):
    """One simulator per options dict, launched side by side (a process each:
    a fleet's simulators then share both cores, not one interpreter's lock).
    Returns them in order once all have printed their ports; none is left
    running when one fails to start. Each FTP port is picked below the
    kernel's ephemeral range unless given: a simulator closes its port while
    it restarts, and with a fleet's many client connections one of them would
    otherwise soon take that port as its own local one."""
    option_list = [dict(options) for options in option_list]
    wanted = sum(1 for options in option_list if not options.get("ftp_port"))
    ports = iter(_ports_below_ephemeral(wanted))
    for options in option_list:
        if not options.get("ftp_port"):
            options["ftp_port"] = next(ports)
    launched = [_launch((), env, options) for options in option_list]
    sims = []
    try:
        for proc, workdir in launched:
            sims.append(_announced(proc, workdir, timeout))
    except BaseException:
        for sim in sims:
            sim.close()
        for proc, workdir in launched[len(sims) + 1:]:
            proc.kill()
            proc.wait()
            shutil.rmtree(workdir, ignore_errors=True)
        raise
    return sims


def _ports_below_ephemeral(count):
    """`count` loopback ports that are free now and that no outgoing connection
    is given by the kernel (below /proc/sys/net/ipv4/ip_local_port_range)."""
    low = 32768
    try:
        with open("/proc/sys/net/ipv4/ip_local_port_range") as fh:
            low = int(fh.read().split()[0])
    except (OSError, ValueError, IndexError):
        pass
    start = random.randrange(max(1024, low // 2), max(1025, low - 2 * count))
    found = []
    for port in range(start, low):
        if len(found) == count:
            break
        with socket.socket() as probe:
            try:
                probe.bind(("127.0.0.1", port))
            except OSError:
                continue
        found.append(port)
    if len(found) < count:
        raise RuntimeError("not enough free ports below %d" % low)
    return found


def _launch(args, env, options):
    workdir = tempfile.mkdtemp(prefix="simctl-")
    if options.get("state_dir") is None:
        options["state_dir"] = os.path.join(workdir, "state")
    argv = [python_executable(), SIM_SCRIPT] + build_args(*args, **options)
    with open(os.path.join(workdir, "stderr.log"), "wb") as err:
        proc = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=err,
                                stdin=subprocess.DEVNULL, text=True,
                                env=env)
    return proc, workdir


def _announced(proc, workdir, timeout):
    line = _first_line(proc, timeout)
    if not line:
        proc.kill()
        proc.wait()
        with open(os.path.join(workdir, "stderr.log"), errors="replace") as fh:
            detail = fh.read()[-2000:]
        shutil.rmtree(workdir, ignore_errors=True)
        raise RuntimeError("simulator did not start: %s" % detail)
    return Simulator(proc, json.loads(line), workdir)
