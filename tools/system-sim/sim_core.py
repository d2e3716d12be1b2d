# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Shared pieces of the Tessary system simulator: model catalogue, settings,
journal, and the on-disk state (seeding, provisioning, flash erase)."""

import gzip
import hashlib
import json
import os
import threading
import time
import zlib
from dataclasses import dataclass, field
from typing import Optional

# Model text per catalogue row; each must be recognised as exactly its own row
# by Quillmarch's lower-case, trimmed, last-substring-match-wins rule.
MODEL_TEXTS = (
    "MDR 9.0", "T21 9.0", "T23 9.0", "KDV 12 9.0", "KDV 12S 9.0",
    "KDV 14 9.0", "KDV 16 9.0", "KDV 16S 9.0", "KDV 16m 9.0", "KDV 18 9.0",
    "KDV 18S 9.0", "KDV 18x 9.0", "KDV 22 9.0", "KDV 24 9.0",
)

# Rows whose firmware is written in sections: IMAGE1 already completes them.
SECTION_IMAGE_ROWS = frozenset({1, 2, 3, 4, 6, 8, 9})

# Uploads that make the system reboot by itself (IMAGE1 only for the rows above).
SELF_RESTART_UPLOADS = ("BRAMBLE", "IMAGE0")

MODE_NORMAL = "NORMAL"
MODE_BOOTUI = "BOOTUI"

SIMPLE_FAULTS = frozenset({
    "wrong-password", "silent-banner", "silent-after-login", "stall-download",
    "restart-never-returns", "swus-ignored", "garbage-flag", "web-disabled",
    "no-web", "tls-demanded",
}) | frozenset({
    # After an image: comes back on the old version, comes back in update
    # mode, never restarts, restarts and never comes back.
    "apply-old-version", "apply-bootui", "apply-no-restart",
    "apply-never-returns",
})

# Uploads that carry the software the system installs at its next restart.
IMAGE_UPLOADS = ("BRAMBLE", "IMAGE1")
VERSION_FILE = "systemsoftwareversion.dat"
DEFAULT_SOFTWARE_VERSION = "9.0.5"

# Faults that name a file (repeatable): "list-name:NAME" lists an entry that is no file (a
# name that climbs out, a path, control characters...), "endless-file:NAME" sends NAME without
# end, "drip-file:NAME" sends it a byte at a time without end.
NAMED_FAULTS = ("list-name", "endless-file", "drip-file")

# Files that survive an ERFL flash erase.
KEPT_ON_ERASE = frozenset({"model.dat", "webenabled.dat", "webaccessport.dat"})

TLS_CERT_NAME = "sim-tls-cert.pem"
TLS_KEY_NAME = "sim-tls-key.pem"

SAMPLE_SITE_MARKER = '<Category category="Tessary_Test"/>'


@dataclass
class SimConfig:
    """Everything the command line decides, in one place."""
    model: int = 9
    flag_model: Optional[str] = None
    model_dat: Optional[str] = None
    password: str = "admin"
    mode: str = MODE_NORMAL
    host: str = "127.0.0.1"
    ftp_port: int = 0
    http_port: int = 0
    tls: bool = False
    state_dir: str = ""
    journal: str = ""
    restart_delay: float = 3.0
    time_scale: float = 1.0
    in_call: int = 0
    call_ends_after: Optional[float] = None  # seconds (x time scale); None: the call goes on
    faults: frozenset = field(default_factory=frozenset)
    drop_upload_bytes: Optional[int] = None
    list_names: tuple = ()
    endless_files: frozenset = field(default_factory=frozenset)
    drip_files: frozenset = field(default_factory=frozenset)
    ready_file: Optional[str] = None
    verbose: bool = False
    apply_time: float = 0.5
    software_version: Optional[str] = None
    installed_version: Optional[str] = None

    @property
    def model_text(self):
        """Text the FLAG reply carries (may be overridden, even to empty)."""
        if self.flag_model is not None:
            return self.flag_model
        return MODEL_TEXTS[self.model]

    @property
    def model_dat_text(self):
        # model.dat follows the catalogue row unless told otherwise, so an
        # empty FLAG text still leaves the client a usable fallback.
        if self.model_dat is not None:
            return self.model_dat
        return MODEL_TEXTS[self.model]

    @property
    def login_password(self):
        """Quillmarch sends a single blank when the password is empty."""
        return self.password if self.password else " "

    def has(self, fault):
        return fault in self.faults

    def scaled(self, seconds):
        return seconds * self.time_scale


class Journal:
    """JSON Lines event log, flushed per event so tests can tail it live."""

    def __init__(self, path):
        self.path = path
        self._t0 = time.monotonic()
        self._lock = threading.Lock()
        self._fh = open(path, "a", encoding="utf-8")

    def write(self, event, **fields):
        record = {"t": round(time.monotonic() - self._t0, 4), "event": event}
        record.update(fields)
        line = json.dumps(record)
        with self._lock:
            if self._fh.closed:
                return
            self._fh.write(line + "\n")
            self._fh.flush()

    def close(self):
        with self._lock:
            self._fh.close()


def _text_files(config, http_port):
    """Seed contents; small, deterministic and mostly distinct."""
    return {
        "model.dat": config.model_dat_text,
        # Blanks around the address make the client's trimming observable.
        "gateway.dat": "  10.0.0.1  \n",
        "webenabled.dat": "True",
        "webaccessport.dat": str(http_port),
        "sysname.dat": "Sim Room 1",
        "ipaddress.dat": "127.0.0.1",
        "natoutside.dat": "192.0.2.10",
        "interface.dat": "LAN",
        "serialnumber.dat": "SN12345678",
        "directorynum0_0_0.dat": "5551000",
        "directorynum0_0_1.dat": "5551001",
        VERSION_FILE: config.software_version or DEFAULT_SOFTWARE_VERSION,
        "dhcp_flg.dat": "Client",
        "subnetmask.dat": "255.255.255.0",
        "defaultgateway.dat": "127.0.0.254",
        "securemode.dat": "False",
        "roomsw.dat": "",
        "useroompassword.dat": "True",
        "monitor1display.dat": "4:3",
        "cameratype.dat": "NTSC",
        "vgaresolution.dat": "60HZ800x600",
        "monitoroutputsignal.dat": "VGA",
        "friends.abk": _address_book("Friends", [("Ann Rivers", "5552001")]),
        "office.abk": _address_book("Office", [("Board Room", "5553001"),
                                               ("Lab East", "5553002")]),
        "samples.abk": _address_book("Samples", [("Demo Site", "5554001")],
                                     SAMPLE_SITE_MARKER),
        "speeds.choice": "128\n256\n384\n512\n768\n1024\n",
        "language.choice": "English\nDeutsch\nFrancais\n",
        "dhcp_flg.choice": "Client\nStatic\n",
        "localcdr.csv": "start,end,number,duration\n"
                        "2024-01-02 10:00:00,2024-01-02 10:30:00,5552001,1800\n",
        # A name with a blank, so listings with spaces are exercised by default.
        "room notes.txt": "Projector remote is in the top drawer.\n",
    }


def _address_book(name, entries, extra_line=None):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<AddressBook name="%s">' % name]
    if extra_line:
        lines.append(extra_line)
    for entry_name, number in entries:
        lines.append('<Entry name="%s" number="%s"/>' % (entry_name, number))
    lines.append("</AddressBook>")
    return "\n".join(lines) + "\n"


# Binary on purpose (CR LF and high bytes) so ASCII-mode mangling shows up.
LOGO_BYTES = b"\x89PNG\r\n\x1a\nTESSARY-SIM-LOGO\x00\xff\r\n"

PRIVATE_NAMES = frozenset({TLS_CERT_NAME, TLS_KEY_NAME})


def private_names(config):
    """Simulator bookkeeping files that the FTP side must not expose."""
    names = set(PRIVATE_NAMES)
    journal_dir = os.path.dirname(os.path.abspath(config.journal))
    if journal_dir == os.path.abspath(config.state_dir):
        names.add(os.path.basename(config.journal))
    return frozenset(names)


def _write(path, data):
    mode = "wb" if isinstance(data, bytes) else "w"
    with open(path, mode) as fh:
        fh.write(data)


def prepare_state_dir(config, http_port):
    """Create/seed the system's files; refresh those fixed at every boot."""
    os.makedirs(config.state_dir, exist_ok=True)
    hidden = private_names(config)
    existing = [n for n in os.listdir(config.state_dir) if n not in hidden]
    seeded = not existing
    if seeded:
        for name, text in _text_files(config, http_port).items():
            _write(os.path.join(config.state_dir, name), text)
        _write(os.path.join(config.state_dir, "mylogo.png"), LOGO_BYTES)
    _write(os.path.join(config.state_dir, "model.dat"), config.model_dat_text)
    _write(os.path.join(config.state_dir, "webaccessport.dat"), str(http_port))
    if config.has("web-disabled"):
        _write(os.path.join(config.state_dir, "webenabled.dat"), "False")
    if config.software_version is not None:
        _write(os.path.join(config.state_dir, VERSION_FILE), config.software_version)
    return seeded


def image_version(path):
    """The version an image carries: a "version=" line near the start of its
    gzip stream (the sample pack writes one); None when it has none."""
    try:
        with gzip.open(path, "rb") as fh:
            head = fh.read(4096)
    except (OSError, EOFError, zlib.error):
        return None
    for line in head.split(b"\n")[:8]:
        if line.startswith(b"version="):
            return line[len(b"version="):].decode("utf-8", "replace").strip()
    return None


def install_version(state_dir, version):
    """What the system serves after it installed an image."""
    _write(os.path.join(state_dir, VERSION_FILE), version)


def file_digest(path):
    """Size, sha256 and md5 of a file, read in chunks."""
    sha, md5, size = hashlib.sha256(), hashlib.md5(), 0
    with open(path, "rb") as fh:
        for chunk in iter(lambda: fh.read(65536), b""):
            sha.update(chunk)
            md5.update(chunk)
            size += len(chunk)
    return {"size": size, "sha256": sha.hexdigest(), "md5": md5.hexdigest()}


def _read_text(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as fh:
            return fh.read()
    except OSError:
        return None


def parse_provisioning(text):
    """"key,value" lines to a dict; a value of two double quotes means empty."""
    settings = {}
    for raw in text.splitlines():
        key, sep, value = raw.partition(",")
        key, value = key.strip(), value.strip()
        if not sep or not key or "/" in key or "\\" in key:
            continue
        settings[key] = "" if value == '""' else value
    return settings


def apply_provisioning(state_dir):
    """Apply a pending provisioning file; return the settings or None."""
    flag_path = os.path.join(state_dir, "doprovision.dat")
    if (_read_text(flag_path) or "").strip() != "True":
        return None
    url = (_read_text(os.path.join(state_dir, "provisionurl.dat")) or "").strip()
    # The client may store a URL; only its last path element names the file.
    name = url.replace("\\", "/").rsplit("/", 1)[-1]
    text = _read_text(os.path.join(state_dir, name)) if name else None
    if text is None:
        return None
    settings = parse_provisioning(text)
    for key, value in settings.items():
        _write(os.path.join(state_dir, key + ".dat"), value)
    os.remove(flag_path)
    return settings


def erase_flash(state_dir, hidden):
    """Delete every regular file except the kept and simulator-private ones."""
    removed = []
    for name in sorted(os.listdir(state_dir)):
        path = os.path.join(state_dir, name)
        if name in KEPT_ON_ERASE or name in hidden or not os.path.isfile(path):
            continue
        os.remove(path)
        removed.append(name)
    return removed
