# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The man page, the README and the bash completion agree with what --help says: every option,
every exit status and the default log name."""
import os
import re
import shutil
import subprocess
import unittest

SOURCE_DIR = os.environ.get(
    "QUILLMARCH_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
BINARY = os.environ.get("QUILLMARCH_BIN", os.path.join(SOURCE_DIR, "build", "quillmarch-cli"))
MAN_PAGE = os.path.join(SOURCE_DIR, "docs", "quillmarch.1")
README = os.path.join(SOURCE_DIR, "README.md")
COMPLETION = os.path.join(SOURCE_DIR, "packaging", "completions", "quillmarch-cli")
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


def section(text, start, end):
    """The text from the line holding `start` up to the next line holding `end`."""
    at = text.index(start)
    stop = text.find(end, at + len(start))
    return text[at:stop if stop >= 0 else len(text)]


def help_exit_codes(help_text):
    """A single run's exit statuses in --help, each with its meaning, and those named in passing
    ("143: by SIGTERM")."""
    block = section(help_text, "Exit status:\n", "\n\n")
    codes = {}
    for number, meaning in re.findall(r"^  (\d+)\s+(.*(?:\n {5,}.*)*)", block, re.M):
        codes[int(number)] = " ".join(meaning.split())
    for number in re.findall(r"\b(\d{3}): by", block):
        codes.setdefault(int(number), "")
    return codes


def man_exit_codes(page):
    block = section(page, ".SH EXIT STATUS", ".SH ")
    codes = {}
    for number, meaning in re.findall(r"^\.TP\n\.B (\d+)\n((?:[^.\n].*\n|\.B.*\n)*)", block, re.M):
        codes[int(number)] = " ".join(meaning.split())
    for number in re.findall(r"\b(\d{3}): by", block):
        codes.setdefault(int(number), "")
    return codes


def readme_exit_codes(readme):
    block = section(readme, "| Exit status | Meaning |", "\n\n")
    return {int(n): " ".join(m.split()) for n, m in re.findall(r"^\| \*\*(\d+)\*\* \| (.*) \|$",
                                                             block, re.M)}


def run_help():
    done = subprocess.run([BINARY, "--help"], capture_output=True, text=True, timeout=30)
    if done.returncode != 0:
        raise AssertionError(done.stderr)
    return done.stdout


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


class SameStory(unittest.TestCase):
    """--help, the man page and the README tell an operator the same things."""

    @classmethod
    def setUpClass(cls):
        cls.help = run_help()
        with open(MAN_PAGE, encoding="utf-8") as fh:
            cls.page = fh.read()
        with open(README, encoding="utf-8") as fh:
            cls.readme = fh.read()

    def test_every_exit_status_is_in_all_three_with_the_lock_cause_of_1(self):
        sources = {"--help": help_exit_codes(self.help),
                   "docs/quillmarch.1": man_exit_codes(man_text(self.page)),
                   "README.md": readme_exit_codes(self.readme)}
        self.assertGreaterEqual(set(sources["--help"]), {0, 1, 2, 3, 7, 8, 129, 130, 143})
        for where, codes in sources.items():
            self.assertEqual(sorted(codes), sorted(sources["--help"]), where)
            # Exit 1 has a cause scripts must tell apart: the system held by another run.
            self.assertIn("same system", codes[1], where)
            self.assertIn("same log", codes[1], where)

    def test_the_default_log_name_is_told_alike(self):
        for where, text in (("--help", self.help), ("docs/quillmarch.1", man_text(self.page)),
                            ("README.md", self.readme)):
            words = " ".join(text.split())
            found = re.search(r"the address with (.{0,60}?) as .?_.?,", words)
            self.assertIsNotNone(found, where)
            replaced = set(re.findall(r"[.:\[\]]", found.group(1)))
            self.assertEqual(replaced, {".", ":", "[", "]"}, f"{where}: {found.group(0)}")
            self.assertIn("current folder", words[found.start() - 80:found.end() + 80], where)

    def test_the_man_page_lints_clean(self):
        if not shutil.which("mandoc"):
            self.skipTest("mandoc is not installed (scripts/setup.sh installs it)")
        done = subprocess.run(["mandoc", "-Tlint", "-W", "warning", MAN_PAGE],
                              capture_output=True, text=True, timeout=60)
        self.assertEqual(done.stdout + done.stderr, "")
        for heading in ("FILES", "SEE ALSO", "EXIT STATUS"):
            self.assertIn(f".SH {heading}\n", self.page)

    def test_exit_codes_are_read_from_each_form(self):
        help_text = ("Exit status:\n  0    fine\n  1    failed, or the same\n       system\n"
                     "  130  stopped (143: by SIGTERM)\n\nFleet exit status:\n  9    other\n")
        self.assertEqual(help_exit_codes(help_text),
                         {0: "fine", 1: "failed, or the same system", 130: "stopped (143: by SIGTERM)",
                          143: ""})
        page = man_text(".SH EXIT STATUS\n.TP\n.B 0\nFine.\n.TP\n.B 1\nFailed or\n.BR FILES ,\n"
                        "more.\n.SH ENVIRONMENT\n.TP\n.B 5\nNot here.\n")
        self.assertEqual(man_exit_codes(page), {0: "Fine.", 1: "Failed or .BR FILES , more."})


class BashCompletion(unittest.TestCase):
    def complete(self, line):
        """The words bash completion offers for the end of `line`, with the shipped file."""
        loader = "/usr/share/bash-completion/bash_completion"
        if not os.path.exists(loader):
            self.skipTest("bash-completion is not installed")
        words = line.split(" ")
        script = (f". {loader}\n. {COMPLETION}\n"
                  f"COMP_WORDS=({' '.join(repr(w) for w in words)})\n"
                  f"COMP_CWORD={len(words) - 1}\nCOMP_LINE={line!r}\nCOMP_POINT=${{#COMP_LINE}}\n"
                  "_comp_quillmarch quillmarch-cli \"${COMP_WORDS[COMP_CWORD]}\" "
                  "\"${COMP_WORDS[COMP_CWORD-1]}\"\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n")
        done = subprocess.run(["bash", "-c", script], capture_output=True, text=True, timeout=60)
        self.assertEqual(done.returncode, 0, done.stderr)
        return done.stdout.split()

    def test_every_help_option_completes(self):
        offered = set(self.complete("quillmarch-cli -"))
        # "--check:" starts a line that explains --check; only -p:, -f: and -t: end in a colon.
        wanted = {o.rstrip(":") if o.startswith("--") else o for o in help_options(run_help())}
        missing = sorted(o for o in wanted if o not in offered)
        self.assertEqual(missing, [], "options in --help that bash does not complete")

    def test_option_values_complete_as_their_kind(self):
        self.assertEqual(self.complete("quillmarch-cli --pas"), ["--passive", "--password-file"])
        # bash replaces the part after the colon: the path alone is offered.
        self.assertIn(os.path.join(SOURCE_DIR, "README.md"),
                      self.complete(f"quillmarch-cli -f:{os.path.join(SOURCE_DIR, 'READ')}"))
        self.assertIn(os.path.join(SOURCE_DIR, "docs"),
                      self.complete(f"quillmarch-cli --images {os.path.join(SOURCE_DIR, 'do')}"))


if __name__ == "__main__":
    unittest.main()
