# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The man page documents every option the program's --help lists."""
import os
import re
import subprocess
import unittest

SOURCE_DIR = os.environ.get(
    "QUILLMARCH_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
BINARY = os.environ.get("QUILLMARCH_BIN", os.path.join(SOURCE_DIR, "build", "quillmarch-cli"))
MAN_PAGE = os.path.join(SOURCE_DIR, "docs", "quillmarch.1")
# An option at the start of a --help line: "-q", "-p:PASSWORD", "--quiet".
OPTION = re.compile(r"^\s+(--?[A-Za-z][A-Za-z-]*:?)", re.M)


def help_options(help_text):
    return sorted(set(OPTION.findall(help_text)))


def man_text(troff):
    """The page's words as a reader sees them: escapes and font changes gone."""
    text = troff.replace("\\-", "-")
    text = re.sub(r"\\f[BIRP]", "", text)
    return re.sub(r'[ "]+', " ", text)


def documented(option, page):
    """True when the page names the option as a word of its own."""
    return re.search(r"(^|[\s,])" + re.escape(option) + r"($|[\s,A-Z])", page, re.M) is not None


class ManPage(unittest.TestCase):
    def test_every_help_option_is_in_the_man_page(self):
        done = subprocess.run([BINARY, "--help"], capture_output=True, text=True, timeout=30)
        self.assertEqual(done.returncode, 0, done.stderr)
        options = help_options(done.stdout)
        self.assertIn("-p:", options)  # the pattern finds what --help shows
        with open(MAN_PAGE, encoding="utf-8") as fh:
            page = man_text(fh.read())
        missing = [option for option in options if not documented(option, page)]
        self.assertEqual(missing, [], "options in --help but not in docs/quillmarch.1")

    def test_the_check_notices_a_missing_option(self):
        page = man_text(".TP\n.BR \\-q \", \" \\-\\-quietly\nQuiet.\n.BI \\-p: PASSWORD\n")
        self.assertTrue(documented("-q", page))
        self.assertTrue(documented("-p:", page))
        self.assertFalse(documented("--quiet", page))  # a longer word is not the option
        self.assertFalse(documented("-s", page))


if __name__ == "__main__":
    unittest.main()
