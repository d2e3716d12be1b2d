# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks a run's JSON report against docs/report.schema.json."""
import json
import os

import jsonschema

from harness import SOURCE_DIR

with open(os.path.join(SOURCE_DIR, "docs", "report.schema.json"), encoding="utf-8") as _fh:
    SCHEMA = json.load(_fh)
_VALIDATOR = jsonschema.Draft7Validator(SCHEMA)

# Commands and events that change a system: a check must send none of them.
CHANGING_COMMANDS = {"SWUS", "RSWU", "boot", "BOOT", "unlock", "size", "crc", "ERFL", "STOR",
                     "APPE", "DELE", "RNFR", "MKD", "RMD"}


def load_valid_report(test, text, password="secret"):
    """The report parsed, after the test failed it unless it is valid and free of the password."""
    report = json.loads(text)
    errors = sorted(_VALIDATOR.iter_errors(report), key=lambda e: list(e.path))
    test.assertEqual([f"{list(e.path)}: {e.message}" for e in errors], [], text)
    test.assertNotIn(password, text)
    return report


def changing_traffic(sim):
    """What the system was sent that changes it: commands, uploads, notices."""
    commands = [e["line"] for e in sim.events("command")
                if e["line"].split(" ")[0] in CHANGING_COMMANDS]
    uploads = [e["name"] for e in sim.events("upload")]
    notices = [e["path"] for e in sim.events("http") if e["method"] == "POST"]
    return commands + uploads + notices
