# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""FTP side of the simulator: pyftpdlib handlers carrying the Tessary remote
commands and faults, and a service that can reboot (drop every connection,
stop listening, come back on the same port)."""

import logging
import os
import re
import socket
import struct
import time
import warnings

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import (DTPHandler, FTPHandler, TLS_DTPHandler,
                                TLS_FTPHandler)
from pyftpdlib.ioloop import IOLoop, RetryError
from pyftpdlib.servers import FTPServer

import sim_core as core

USER = "admin"
STALL_BYTES = 1024
ENDLESS_CHUNK = bytes(range(256)) * 256  # 64 KiB, sent again and again
DRIP_SECONDS = 0.1
LISTED_LINE = "-rw-r--r--   1 owner    group          12 Jan 01 00:00 %s\r\n"
SIZE_ARGUMENT = re.compile(r"^(?P<name>.+)_(?P<n>\d+)$")
log = logging.getLogger("system-sim")


def _remote(help_text):
    return dict(perm=None, auth=True, arg=None, help=help_text)


REMOTE_COMMANDS = {
    "FLAG": _remote("Syntax: FLAG (report mode and model)."),
    "SWUS": _remote("Syntax: SWUS (start in update mode next time)."),
    "RSWU": _remote("Syntax: RSWU (cancel SWUS)."),
    "BOOT": _remote("Syntax: BOOT (restart the system)."),
    "UNLOCK": _remote("Syntax: UNLOCK (allow firmware writes)."),
    "CRC": _remote("Syntax: CRC <text> (announce a checksum)."),
    "ERFL": _remote("Syntax: ERFL (erase the flash)."),
}


def abort_channel(channel, reset):
    """Close a channel the way a dead peer would: no TLS close_notify, and
    with reset=True an RST instead of an orderly FIN."""
    try:
        if reset:
            channel.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                      struct.pack("ii", 1, 0))
    except (OSError, AttributeError):
        pass
    channel._error = True  # makes pyftpdlib's TLS close skip the shutdown
    try:
        channel.close()
    except Exception:  # a half-dead socket must not stop the reboot
        log.debug("closing %r failed", channel, exc_info=True)


def make_tls_files(state_dir):
    """Self-signed certificate and key for 127.0.0.1, fresh at every start."""
    from OpenSSL import crypto
    key = crypto.PKey()
    key.generate_key(crypto.TYPE_RSA, 2048)
    cert = crypto.X509()
    cert.set_version(2)
    cert.get_subject().CN = "tessary-system-sim"
    cert.set_serial_number(int(time.time()))
    cert.gmtime_adj_notBefore(-3600)
    cert.gmtime_adj_notAfter(10 * 365 * 86400)
    cert.set_issuer(cert.get_subject())
    cert.set_pubkey(key)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", DeprecationWarning)
        cert.add_extensions([crypto.X509Extension(
            b"subjectAltName", False, b"IP:127.0.0.1,DNS:localhost")])
    cert.sign(key, "sha256")
    cert_path = os.path.join(state_dir, core.TLS_CERT_NAME)
    key_path = os.path.join(state_dir, core.TLS_KEY_NAME)
    with open(cert_path, "wb") as fh:
        fh.write(crypto.dump_certificate(crypto.FILETYPE_PEM, cert))
    with open(key_path, "wb") as fh:
        fh.write(crypto.dump_privatekey(crypto.FILETYPE_PEM, key))
    return cert_path, key_path


class SimAuthorizer(DummyAuthorizer):
    """The single admin account; honours the wrong-password fault."""

    def __init__(self, config, journal):
        super().__init__()
        self._config = config
        self._journal = journal
        self.add_user(USER, config.login_password, config.state_dir,
                      perm="elradfmwMT")

    def validate_authentication(self, username, password, handler):
        if self._config.has("wrong-password"):
            self._journal.write("fault", fault="wrong-password")
            raise AuthenticationFailed("Authentication failed.")
        if self._config.has("tls-demanded"):
            self._journal.write("fault", fault="tls-demanded")
            raise AuthenticationFailed(
                "Non-anonymous sessions must use encryption.")
        if username != USER or password != self._config.login_password:
            raise AuthenticationFailed("Authentication failed.")


class SimFS(AbstractedFS):
    """Hides the simulator's own files (journal, TLS key) from listings."""
    hidden = frozenset()
    extra_names = ()

    def _visible(self, path, names):
        if os.path.realpath(path) != os.path.realpath(self.root):
            return names
        return [n for n in names if n not in self.hidden]

    def listdir(self, path):
        return self._visible(path, super().listdir(path))

    def listdirinfo(self, path):
        return self._visible(path, super().listdirinfo(path))

    def format_list(self, basedir, listing, ignore_err=True):
        yield from super().format_list(basedir, listing, ignore_err)
        if os.path.realpath(basedir) != os.path.realpath(self.root):
            return
        # list-name fault: entries no honest system has (they name no file here).
        for name in self.extra_names:
            yield (LISTED_LINE % name).encode("utf-8", "surrogateescape")


class _Endless:
    """Producer of the endless-file fault: never runs dry."""

    def more(self):
        return ENDLESS_CHUNK


class _DtpMixin:
    """Data-channel behaviour: the TLS early-handshake fix and the
    stall-download / drop-upload faults."""
    _stalled = False
    _dropping = False

    def readable(self):
        # pyftpdlib 1.5.7 closes a TLS data channel whose handshake arrives
        # before RETR/STOR; it must stay readable while the handshake runs.
        if self._stalled or getattr(self, "_ssl_accepting", False):
            return True
        return super().readable()

    def writable(self):
        wants = super().writable()
        if self._stalled and not wants:
            # Nothing more will be sent; only watch for the client leaving,
            # otherwise level-triggered epoll spins on the writable socket.
            self._wanted_io_events = self.ioloop.READ
            self.modify_ioloop_events(self.ioloop.READ)
        return wants

    def close_when_done(self):
        if self.cmd_channel.stall_armed:
            self.cmd_channel.stall_armed = False
            self._stalled = True
            if self._idler is not None:
                self._idler.cancel()  # "forever" means no idle timeout either
            return
        super().close_when_done()

    def close(self):
        # Reached from every hang-up path (plain and TLS); a stalled download
        # never completed, whatever pyftpdlib concluded from its empty buffer.
        if self._stalled and not self._closed:
            self._resp = ("426 Connection closed; transfer aborted.", log.debug)
        super().close()

    def recv(self, buffer_size):
        limit = self.cmd_channel.sim.config.drop_upload_bytes
        if not self.receive or limit is None:
            return super().recv(buffer_size)
        if self._dropping:
            raise RetryError
        left = limit - self.tot_bytes_received
        if left <= 0:
            self._schedule_drop()
            raise RetryError
        data = super().recv(min(buffer_size, left))
        if data and len(data) >= left:
            self._schedule_drop()
        return data

    def _schedule_drop(self):
        # Deferred so pyftpdlib first writes the chunk just received.
        self._dropping = True
        self.ioloop.call_later(0, self.cmd_channel.drop_upload, self)


class PlainDtp(_DtpMixin, DTPHandler):
    pass


class TlsDtp(_DtpMixin, TLS_DTPHandler):
    pass


def _masked(line, cmd):
    return line.split(" ")[0] + " ****" if cmd == "PASS" else line


class _HandlerMixin:
    """Control channel: journal, remote commands, login and banner faults."""
    sim = None  # the FtpService, bound by FtpService._build_handler
    banner = "Tessary system FTP service ready."
    auth_failed_timeout = 0.1
    stall_armed = False
    _banner_sent = False
    _dropped_upload = None

    # --- connection and banner

    def handle(self):
        self._current_type = "i"  # the system transfers binary by default
        self.sim.journal.write("connect", remote_port=self.remote_port)
        if self.sim.config.tls:
            # Implicit TLS: handshake first, banner once it is established.
            self.secure_connection(self.ssl_context)
        else:
            self._send_banner()

    def handle_ssl_established(self):
        if not self._banner_sent:
            self._send_banner()

    def _send_banner(self):
        self._banner_sent = True
        if self.sim.config.has("silent-banner"):
            self.sim.journal.write("fault", fault="silent-banner")
            return
        super().handle()

    def flush_account(self):
        super().flush_account()
        self._current_type = "i"

    # --- command dispatch

    def pre_process_command(self, line, cmd, arg):
        shown = _masked(line, cmd)
        self.sim.journal.write("command", line=shown)
        if self.sim.config.has("silent-banner"):
            return
        if self.authenticated and self.sim.config.has("silent-after-login"):
            self.sim.journal.write("fault", fault="silent-after-login",
                                   line=shown)
            return
        # Lower-case "size NAME_N" is the system's own command; upper-case
        # SIZE stays the standard file-size query.
        match = SIZE_ARGUMENT.match(arg)
        if self.authenticated and line.split(" ")[0] == "size" and match:
            self.sim.journal.write("size", name=match.group("name"),
                                   n=int(match.group("n")))
            self.respond("200 OK")
            return
        super().pre_process_command(line, cmd, arg)

    # --- remote commands

    def ftp_FLAG(self, line):
        if self.sim.config.has("garbage-flag"):
            self.sim.journal.write("fault", fault="garbage-flag")
            self.respond("200 HELLO WORLD")
            return
        self.respond("200 %s %s" % (self.sim.mode, self.sim.config.model_text))

    def ftp_SWUS(self, line):
        self.sim.update_requested = True
        self.respond("200 Update mode requested.")

    def ftp_RSWU(self, line):
        self.sim.update_requested = False
        self.respond("200 Update mode request cleared.")

    def ftp_BOOT(self, line):
        self.respond("200 Restarting")
        self.sim.request_restart("boot")

    def ftp_UNLOCK(self, line):
        self.respond("200 Unlocked.")

    def ftp_CRC(self, line):
        self.sim.journal.write("crc", text=line)
        self.respond("200 OK")

    def ftp_ERFL(self, line):
        removed = core.erase_flash(self.sim.config.state_dir, self.sim.hidden)
        self.sim.journal.write("erase", removed=removed)
        self.respond("200 Flash erased.")

    # --- listings and transfers

    def _name(self, path):
        return os.path.relpath(path, self.sim.config.state_dir)

    def _journal_list(self, cmd, path):
        self.sim.journal.write("list", command=cmd, path=self.fs.fs2ftp(path))

    def ftp_LIST(self, path):
        self._journal_list("LIST", path)
        return super().ftp_LIST(path)

    def ftp_NLST(self, path):
        self._journal_list("NLST", path)
        return super().ftp_NLST(path)

    def ftp_MLSD(self, path):
        self._journal_list("MLSD", path)
        return super().ftp_MLSD(path)

    def ftp_RETR(self, file):
        name = os.path.basename(file)
        if name in self.sim.config.endless_files:
            self.sim.journal.write("fault", fault="endless-file", name=name)
            self.push_dtp_data(_Endless(), isproducer=True, cmd="RETR")
            return file
        if name in self.sim.config.drip_files:
            return self._drip(name)
        if not self.sim.config.has("stall-download"):
            return super().ftp_RETR(file)
        try:
            with open(file, "rb") as fh:
                head = fh.read(STALL_BYTES)
        except OSError as err:
            self.respond("550 %s." % (err.strerror or "Cannot open file"))
            return None
        self.sim.journal.write("fault", fault="stall-download",
                               name=self._name(file), sent=len(head))
        self.stall_armed = True
        self.push_dtp_data(head, isproducer=False, cmd="RETR")
        return file

    def _drip(self, name):
        """drip-file fault: one byte, then one more every DRIP_SECONDS, never the end."""
        self.sim.journal.write("fault", fault="drip-file", name=name)
        self.stall_armed = True
        self.push_dtp_data(b"d", isproducer=False, cmd="RETR")
        self.ioloop.call_later(DRIP_SECONDS, self._drip_more)
        return name

    def _drip_more(self):
        if self._closed:
            return
        dtp = self.data_channel
        if dtp is not None and dtp._stalled and not dtp._closed:
            try:
                dtp.push(b"d")
            except Exception:  # the client left
                return
        elif dtp is None and self._out_dtp_queue is None:
            return  # the transfer is over: the client gave up
        self.ioloop.call_later(DRIP_SECONDS, self._drip_more)

    def drop_upload(self, dtp):
        """drop-upload fault: keep the partial file, cut both connections."""
        path = None
        if dtp.file_obj is not None and not dtp.file_obj.closed:
            dtp.file_obj.flush()
            path = dtp.file_obj.name
        self._dropped_upload = path
        self.sim.journal.write("fault", fault="drop-upload",
                               after=self.sim.config.drop_upload_bytes)
        if path:
            self._journal_upload(path, complete=False)
        abort_channel(dtp, reset=True)
        abort_channel(self, reset=True)

    def _journal_upload(self, path, complete):
        self.sim.journal.write("upload", name=self._name(path),
                               complete=complete, **core.file_digest(path))

    def on_file_received(self, file):
        self._journal_upload(file, complete=True)
        self.sim.after_upload(self._name(file), file)

    def on_incomplete_file_received(self, file):
        if file != self._dropped_upload and os.path.isfile(file):
            self._journal_upload(file, complete=False)

    def on_file_sent(self, file):
        self.sim.journal.write("download", name=self._name(file),
                               size=os.path.getsize(file), complete=True)

    def on_incomplete_file_sent(self, file):
        self.sim.journal.write("download", name=self._name(file),
                               size=os.path.getsize(file), complete=False)

    def on_login(self, username):
        self.sim.journal.write("login", user=username, ok=True)

    def on_login_failed(self, username, password):
        self.sim.journal.write("login", user=username, ok=False)


class FtpService:
    """Owns the pyftpdlib IO loop, the listening socket and the system mode."""

    POLL_SECONDS = 0.05

    def __init__(self, config, journal):
        self.config = config
        self.journal = journal
        self.mode = config.mode
        self.update_requested = False
        self.pending_version = None  # carried by the last image, installed at its restart
        self.port = config.ftp_port
        self.hidden = core.private_names(config)
        self.ioloop = IOLoop()
        self.server = None
        self.down = False
        self.handler_class = self._build_handler()

    def _build_handler(self):
        attrs = {
            "sim": self,
            "authorizer": SimAuthorizer(self.config, self.journal),
            "abstracted_fs": type("HiddenFS", (SimFS,), {
                "hidden": self.hidden,
                "extra_names": self.config.list_names}),
        }
        if self.config.tls:
            cert, key = make_tls_files(self.config.state_dir)
            base = TLS_FTPHandler
            attrs.update(dtp_handler=TlsDtp, certfile=cert, keyfile=key,
                         ssl_context=None, tls_control_required=True,
                         tls_data_required=True)
        else:
            base = FTPHandler
            attrs["dtp_handler"] = PlainDtp
        attrs["proto_cmds"] = dict(base.proto_cmds, **REMOTE_COMMANDS)
        return type("SimFtpHandler", (_HandlerMixin, base), attrs)

    # --- listening

    def listen(self):
        """Bind the FTP port (the same one again after a restart)."""
        self.server = FTPServer((self.config.host, self.port),
                                self.handler_class, ioloop=self.ioloop)
        self.port = self.server.address[1]
        self.down = False

    def _come_back(self, mode, installs=False):
        settings = core.apply_provisioning(self.config.state_dir)
        if settings is not None:
            self.journal.write("provisioned", settings=settings)
        if installs:
            self._install()
            installs = False
        self.mode = mode
        try:
            self.listen()
        except OSError as err:  # port briefly taken: keep trying
            log.warning("re-listen on %s failed: %s", self.port, err)
            self.ioloop.call_later(0.1, self._come_back, mode)
            return
        self.journal.write("listening", ftp_port=self.port, mode=self.mode,
                           after_restart=True)

    # --- restarts

    def request_restart(self, reason):
        # Deferred so the "200 Restarting" reply leaves before the cut.
        self.ioloop.call_later(0, self.restart, reason, True)

    def after_upload(self, name, path=None):
        if name in core.IMAGE_UPLOADS and path:
            self.pending_version = (self.config.installed_version or
                                    core.image_version(path))
        restarts = name in core.SELF_RESTART_UPLOADS or (
            name == "IMAGE1" and self.config.model in core.SECTION_IMAGE_ROWS)
        if not restarts:
            return
        if self.config.has("apply-no-restart"):
            self.journal.write("fault", fault="apply-no-restart", image=name)
            return
        delay = self.config.scaled(self.config.apply_time)
        self.journal.write("applying", image=name, delay=round(delay, 4))
        self.ioloop.call_later(delay, self.restart, "upload " + name, False,
                               True)

    def _install(self):
        """The restart after an image: the new version, unless a fault keeps
        the old one."""
        version, self.pending_version = self.pending_version, None
        if self.config.has("apply-old-version"):
            self.journal.write("fault", fault="apply-old-version")
            return
        if version is None:
            self.journal.write("installed", version=None)
            return
        core.install_version(self.config.state_dir, version)
        self.journal.write("installed", version=version)

    def _next_mode(self, honour_request):
        requested, self.update_requested = self.update_requested, False
        if not (honour_request and requested):
            return core.MODE_NORMAL
        if self.config.has("swus-ignored"):
            self.journal.write("fault", fault="swus-ignored")
            return core.MODE_NORMAL
        return core.MODE_BOOTUI

    def restart(self, reason, honour_request, installs=False):
        """Drop everything, stay away for the scaled delay, come back
        (installing the image when the restart follows one)."""
        if self.down:
            return
        target = self._next_mode(honour_request)
        if installs and self.config.has("apply-bootui"):
            self.journal.write("fault", fault="apply-bootui")
            target = core.MODE_BOOTUI
        self.down = True
        self.close_connections()
        never = "restart-never-returns"
        if installs and self.config.has("apply-never-returns"):
            never = "apply-never-returns"
        returns = not self.config.has(never)
        delay = self.config.scaled(self.config.restart_delay)
        self.journal.write("restart", from_mode=self.mode,
                           to_mode=target if returns else None,
                           reason=reason, delay=round(delay, 4))
        if not returns:
            self.journal.write("fault", fault=never)
            return
        self.ioloop.call_later(delay, self._come_back, target, installs)

    def close_connections(self):
        """Close the listener and every control/data connection."""
        for channel in list(self.ioloop.socket_map.values()):
            abort_channel(channel, reset=False)
        self.server = None

    # --- loop

    def poll_once(self):
        if self.ioloop.socket_map:
            self.ioloop.poll(self.POLL_SECONDS)
        else:
            time.sleep(self.POLL_SECONDS)  # down: only timers are pending
        self.ioloop.sched.poll()

    def shutdown(self):
        self.close_connections()
        self.ioloop.close()
