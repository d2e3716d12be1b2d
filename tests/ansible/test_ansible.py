# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""contrib/ansible driven by ansible-playbook against three system simulators on loopback.

The playbook, the module and the vault indirection of the passwords are the shipped ones; the
test writes only an inventory with the simulators' ports and a vault encrypted with its own
vault password. Ansible runs with a private configuration, HOME and temporary folders, forks 3,
no fact gathering, every task on the controller (local connection)."""
import glob
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest

SOURCE_DIR = os.environ.get(
    "QUILLMARCH_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
CLI = os.environ.get("QUILLMARCH_CLI", os.path.join(SOURCE_DIR, "build", "quillmarch-cli"))
PAYLOADS = os.environ.get("QUILLMARCH_PAYLOADS", os.path.join(SOURCE_DIR, "build", "payloads"))
CONTRIB = os.path.join(SOURCE_DIR, "contrib", "ansible")
MODULE = os.path.join(CONTRIB, "plugins", "modules", "quillmarch_update.py")
VALIDATE_MODULES = ("/usr/lib/python3/dist-packages/ansible_test/_util/controller/sanity/"
                    "validate-modules")


def ansible_python():
    """The Python that runs Ansible (it has ansible importable)."""
    with open(shutil.which("ansible-doc")) as fh:
        return fh.readline()[2:].strip().split()[0]


def install_collection(into):
    """Packs contrib/ansible with ansible-galaxy and installs the tarball offline into `into`,
    as an operator would; answers the installed collection's folder."""
    built = os.path.join(into, "built")
    subprocess.run(["ansible-galaxy", "collection", "build", "--output-path", built, CONTRIB],
                   check=True, capture_output=True, timeout=300)
    tarballs = glob.glob(os.path.join(built, "quillmarch-tessary-*.tar.gz"))
    if len(tarballs) != 1:
        raise AssertionError(f"ansible-galaxy built {tarballs}")
    subprocess.run(["ansible-galaxy", "collection", "install", "--offline", "-p",
                    os.path.join(into, "collections"), tarballs[0]],
                   check=True, capture_output=True, timeout=300)
    return os.path.join(into, "collections", "ansible_collections", "quillmarch", "tessary")
sys.path.insert(0, os.path.join(SOURCE_DIR, "tools", "system-sim"))
import simctl  # noqa: E402

HOSTS = ["room-a", "room-b", "room-c"]
MODELS = {"room-a": 4, "room-b": 9, "room-c": 12}  # three models, three images
PASSWORDS = {"room-a": "Vault pw A-7f3k", "room-b": "Vault pw B-q9x2", "room-c": "Vault pw C-m4d8"}
VAULT_PASSWORD = "ansible-test-vault"
OLD_VERSION = "9.0.5"
NEW_VERSION = "Release_ru 9.0.6.2-103 05-September-2011 02:10"
# Remote commands that change a system (the journal's command lines, first word).
CHANGING_COMMANDS = {"SWUS", "RSWU", "boot", "BOOT", "unlock", "size", "crc", "ERFL",
                     "STOR", "STOU", "APPE", "DELE", "RNFR", "RNTO", "MKD", "RMD", "SITE"}
CHANGING_EVENTS = {"upload", "restart", "erase", "applying", "installed", "provisioned"}
RECAP = re.compile(r"^(\S+)\s*:\s*ok=(\d+)\s+changed=(\d+)\s+unreachable=(\d+)\s+failed=(\d+)",
                   re.M)


def changes(events):
    """The journal events that changed the system, or asked it to."""
    found = []
    for event in events:
        if event["event"] in CHANGING_EVENTS:
            found.append(event)
        elif event["event"] == "command" and event["line"].split(" ", 1)[0] in CHANGING_COMMANDS:
            found.append(event)
    return found


class Playbook:
    def __init__(self, code, output, seconds, results, recap, command_lines):
        self.code = code
        self.output = output
        self.seconds = seconds
        self.results = results
        self.recap = recap
        self.command_lines = command_lines  # of quillmarch-cli, as any local user saw them


class CommandLineWatcher:
    """Reads every process's command line, as any local user may, while a play runs."""

    def __init__(self):
        self.seen = set()
        self.done = threading.Event()
        self.thread = threading.Thread(target=self.watch)

    def watch(self):
        while not self.done.is_set():
            for path in glob.glob("/proc/[0-9]*/cmdline"):
                try:
                    with open(path, "rb") as fh:
                        line = fh.read()
                except OSError:
                    continue
                if b"quillmarch-cli" in line and b"system_sim" not in line:
                    self.seen.add(line.replace(b"\0", b" ").decode(errors="replace"))

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.done.set()
        self.thread.join()


class AnsiblePlaybook(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.playbook_program = shutil.which("ansible-playbook")
        if not cls.playbook_program:
            raise RuntimeError("ansible-playbook not found (Debian's ansible-core; "
                               "scripts/setup.sh installs it)")
        for path in (CLI, os.path.join(PAYLOADS, "155.bin")):
            if not os.path.exists(path):
                raise RuntimeError(f"missing {path}")
        cls.timings = {}
        cls.collections = tempfile.mkdtemp(prefix="qm-collection-")
        cls.installed = install_collection(cls.collections)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.collections, True)
        for name, seconds in cls.timings.items():
            print(f"ansible-playbook {name}: {seconds:.1f} s", file=sys.stderr)

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="qm-ansible-")
        self.addCleanup(shutil.rmtree, self.dir, True)
        home = os.path.join(self.dir, "home")
        os.makedirs(home)
        self.vault_password_file = os.path.join(self.dir, "vault-password")
        with open(self.vault_password_file, "w") as fh:
            fh.write(VAULT_PASSWORD + "\n")
        self.config = os.path.join(self.dir, "ansible.cfg")
        with open(self.config, "w") as fh:
            fh.write("[defaults]\n"
                     "forks = 3\n"
                     "gathering = explicit\n"
                     "retry_files_enabled = False\n"
                     "interpreter_python = auto_silent\n"
                     "nocolor = True\n"
                     f"local_tmp = {os.path.join(self.dir, 'ansible-local')}\n"
                     f"remote_tmp = {os.path.join(self.dir, 'ansible-remote')}\n"
                     f"collections_path = {os.path.join(self.collections, 'collections')}\n"
                     f"roles_path = {os.path.join(self.dir, 'roles')}\n"
                     "[inventory]\n"
                     "enable_plugins = yaml\n")
        # Only what ansible-playbook and quillmarch-cli need: nothing from the caller's
        # Ansible settings or home.
        self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home,
                    "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8",
                    "ANSIBLE_CONFIG": self.config, "QUILLMARCH_TIME_SCALE": "0.01"}
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):  # a sanitizer build
            if name in os.environ:
                self.env[name] = os.environ[name]
        self.run_number = 0

    def start_systems(self, passwords=None, extra=None):
        passwords = passwords or PASSWORDS
        systems = {}
        for host in HOSTS:
            sim = simctl.start(model=MODELS[host], password=passwords[host], time_scale="0.01",
                               restart_delay="1", software_version=OLD_VERSION,
                               **(extra or {}).get(host, {}))
            self.addCleanup(sim.close)
            systems[host] = sim
        return systems

    def write_inventory(self, systems, vault_passwords):
        """The shipped group_vars indirection, a vault of our own, ports of the simulators."""
        self.inventory = os.path.join(self.dir, "inventory")
        group_vars = os.path.join(self.inventory, "group_vars", "tessary")
        shutil.rmtree(self.inventory, True)
        os.makedirs(group_vars)
        shutil.copy(os.path.join(CONTRIB, "inventory", "group_vars", "tessary", "vars.yml"),
                    group_vars)
        vault = os.path.join(group_vars, "vault.yml")
        with open(vault, "w") as fh:
            json.dump({"vault_quillmarch_passwords": vault_passwords}, fh)  # JSON is YAML
        subprocess.run(["ansible-vault", "encrypt", "--vault-password-file",
                        self.vault_password_file, vault],
                       env=self.env, check=True, capture_output=True, timeout=120)
        with open(vault) as fh:
            self.assertTrue(fh.read().startswith("$ANSIBLE_VAULT;"))
        self.logs = os.path.join(self.dir, "logs")
        hosts = {host: {"quillmarch_address": "127.0.0.1",
                        "quillmarch_port": systems[host].ftp_port} for host in HOSTS}
        inventory = {"tessary": {
            "hosts": hosts,
            "vars": {"ansible_connection": "local",
                     "ansible_python_interpreter": "{{ ansible_playbook_python }}",
                     "quillmarch_executable": CLI, "quillmarch_payloads": PAYLOADS,
                     "quillmarch_log_dir": self.logs}}}
        with open(os.path.join(self.inventory, "hosts.yml"), "w") as fh:
            json.dump(inventory, fh)

    def playbook(self, name, *args, playbook="update"):
        self.run_number += 1
        results = os.path.join(self.dir, f"results-{self.run_number}")
        # The installed collection's playbook, by its full name.
        argv = [self.playbook_program, f"quillmarch.tessary.{playbook}",
                "-i", self.inventory, "--vault-password-file", self.vault_password_file,
                "--forks", "3", "-vvv", "-e", json.dumps({"quillmarch_results_dir": results}),
                *args]
        started = time.monotonic()
        with CommandLineWatcher() as watcher:
            done = subprocess.run(argv, env=self.env, capture_output=True, text=True,
                                  timeout=600)
        seconds = time.monotonic() - started
        type(self).timings[f"{self.run_number}. {name}"] = seconds
        output = done.stdout + done.stderr
        found = {}
        if os.path.isdir(results):
            for entry in os.listdir(results):
                with open(os.path.join(results, entry)) as fh:
                    found[entry[:-len(".json")]] = json.load(fh)
        recap = {m[1]: dict(ok=int(m[2]), changed=int(m[3]), unreachable=int(m[4]),
                            failed=int(m[5])) for m in RECAP.finditer(output)}
        return Playbook(done.returncode, output, seconds, found, recap, watcher.seen)

    def assertNoPasswordShown(self, run, passwords):
        texts = {"ansible-playbook output": run.output}
        texts.update({f"result of {h}": json.dumps(r) for h, r in run.results.items()})
        for entry in os.listdir(self.logs):
            with open(os.path.join(self.logs, entry), errors="replace") as fh:
                texts[f"log {entry}"] = fh.read()
        for password in passwords:
            for where, text in texts.items():
                at = text.find(password)
                if at >= 0:
                    self.fail(f"a password shows in the {where}: ...{text[max(0, at - 300):at]}")
        texts.update({f"command line {line}": line for line in run.command_lines})
        for password in passwords:
            for where, text in texts.items():
                self.assertNotIn(password, text, where)
        for host, result in run.results.items():
            self.assertFalse([a for a in result["cmd"] if a.startswith("-p:")], host)

    def assertLoggedOnWithoutChanging(self, sim, since=0):
        events = sim.events()[since:]
        self.assertTrue([e for e in events if e["event"] == "login" and e["ok"]],
                        "the system was never looked at")
        self.assertIn("FLAG", [e["line"] for e in events if e["event"] == "command"])
        self.assertEqual(changes(events), [])

    def assertUpdated(self, host, sim, result):
        self.assertFalse(result.get("failed", False), result.get("msg"))
        self.assertTrue(result["changed"])
        self.assertTrue(result["updated"])
        report = result["report"]
        self.assertEqual(report["kind"], "update")
        self.assertEqual(report["result"], "success")
        self.assertEqual(report["exit_code"], 0)
        self.assertEqual((result["rc"], result["exit_code"]), (0, 0))
        self.assertEqual(report["address"], f"127.0.0.1:{sim.ftp_port}")
        self.assertEqual(report["before"]["software_version"], OLD_VERSION)
        self.assertEqual(report["after"]["software_version"], NEW_VERSION)
        self.assertEqual(report["verification"]["outcome"], "verified")
        self.assertEqual(result["preflight"]["result"], "ready")
        self.assertEqual(sim.read("systemsoftwareversion.dat").strip(), NEW_VERSION)
        images = [e for e in sim.events("upload") if e["name"] in ("BRAMBLE", "IMAGE0", "IMAGE1")]
        self.assertTrue(images, host)
        self.assertTrue(all(u["complete"] for u in images), images)
        self.assertEqual(sim.events("installed")[-1]["version"], NEW_VERSION)

    def test_check_mode_then_update_then_nothing_left_to_do(self):
        systems = self.start_systems()
        self.write_inventory(systems, PASSWORDS)

        # Check mode: every system looked at, none touched; changed says a run would update.
        check = self.playbook("check mode", "--check")
        self.assertEqual(check.code, 0, check.output)
        self.assertEqual(sorted(check.results), HOSTS, check.output)
        for host, sim in systems.items():
            result = check.results[host]
            self.assertTrue(result["changed"], host)
            self.assertTrue(result["would_update"], host)
            self.assertFalse(result["updated"], host)
            self.assertEqual(result["report"]["kind"], "check")
            self.assertEqual(result["report"]["result"], "ready")
            self.assertEqual(result["report"]["before"]["software_version"], OLD_VERSION)
            self.assertIn("--check", result["cmd"])
            self.assertLoggedOnWithoutChanging(sim)
            self.assertEqual(sim.read("systemsoftwareversion.dat").strip(), OLD_VERSION)
            self.assertEqual((check.recap[host]["changed"], check.recap[host]["failed"]), (1, 0),
                             check.output)
        self.assertNoPasswordShown(check, PASSWORDS.values())
        self.assertTrue(check.command_lines, "the watcher saw no quillmarch-cli run")

        # The real run: all three updated, each result carries its report.
        update = self.playbook("update")
        self.assertEqual(update.code, 0, update.output)
        self.assertEqual(sorted(update.results), HOSTS, update.output)
        for host, sim in systems.items():
            self.assertUpdated(host, sim, update.results[host])
            self.assertEqual(update.recap[host]["changed"], 1, update.output)
            self.assertEqual(update.recap[host]["failed"], 0, update.output)
        self.assertRegex(update.output, r"room-a: success, 9\.0\.5 -> Release_ru 9\.0\.6\.2-103")
        self.assertNoPasswordShown(update, PASSWORDS.values())

        # Once more: every system is on the version, so nothing is sent that changes it.
        marks = {host: len(sim.events()) for host, sim in systems.items()}
        again = self.playbook("update again")
        self.assertEqual(again.code, 0, again.output)
        for host, sim in systems.items():
            result = again.results[host]
            self.assertFalse(result["changed"], host)
            self.assertFalse(result["updated"], host)
            self.assertEqual(result["report"]["result"], "up_to_date")
            # quillmarch-cli's 4 (up to date) is returned as rc, and is no failure.
            self.assertEqual((result["rc"], result["exit_code"]), (4, 4))
            self.assertFalse(result["failed"], host)
            self.assertEqual(again.recap[host]["changed"], 0, again.output)
            self.assertLoggedOnWithoutChanging(sim, since=marks[host])

    def test_wrong_password_fails_that_system_only(self):
        # room-b's password was changed on the system; the vault still holds the old one.
        on_systems = dict(PASSWORDS, **{"room-b": "changed on the system"})
        systems = self.start_systems(on_systems)
        self.write_inventory(systems, PASSWORDS)

        run = self.playbook("wrong password for room-b")
        self.assertEqual(run.code, 2, run.output)  # ansible-playbook: a host failed
        self.assertEqual(sorted(run.results), HOSTS, run.output)
        failed = run.results["room-b"]
        self.assertTrue(failed["failed"])
        self.assertFalse(failed["changed"])
        self.assertFalse(failed["updated"])
        self.assertEqual(failed["failure"]["code"], "logon_refused")
        self.assertIn("Wrong password", failed["msg"])
        self.assertEqual(failed["report"]["result"], "cannot_update")
        self.assertEqual(run.recap["room-b"]["failed"], 1, run.output)
        sim_b = systems["room-b"]
        self.assertTrue(sim_b.events("login"))
        self.assertFalse([e for e in sim_b.events("login") if e["ok"]])
        self.assertEqual(changes(sim_b.events()), [])
        self.assertEqual(sim_b.read("systemsoftwareversion.dat").strip(), OLD_VERSION)
        for host in ("room-a", "room-c"):
            self.assertUpdated(host, systems[host], run.results[host])
            self.assertEqual(run.recap[host]["failed"], 0, run.output)
        self.assertRegex(run.output, r"room-b: cannot_update, logon_refused")
        self.assertNoPasswordShown(run, list(on_systems.values()))

    def test_a_system_in_a_call_is_left_alone(self):
        systems = self.start_systems(extra={"room-b": dict(in_call=768)})
        self.write_inventory(systems, PASSWORDS)

        run = self.playbook("room-b in a call")
        self.assertEqual(run.code, 2, run.output)  # the host in a call failed
        busy = run.results["room-b"]
        self.assertTrue(busy["failed"])
        self.assertFalse(busy["updated"])
        self.assertEqual(busy["failure"]["code"], "in_call")
        self.assertEqual(busy["call_state"], "in_call")
        self.assertEqual(busy["report"]["call"]["policy"], "skip")
        self.assertIn("--in-call", busy["cmd"])
        self.assertEqual(changes(systems["room-b"].events()), [])
        self.assertEqual(systems["room-b"].read("systemsoftwareversion.dat").strip(), OLD_VERSION)
        for host in ("room-a", "room-c"):
            self.assertUpdated(host, systems[host], run.results[host])
            self.assertEqual(run.results[host]["call_state"], "no_call")
        self.assertNoPasswordShown(run, PASSWORDS.values())

    def test_canary_rollout_stops_at_the_batch_that_failed(self):
        # Batches of canary.yml over three hosts: room-a, then room-b, then room-c.
        on_systems = dict(PASSWORDS, **{"room-b": "changed on the system"})
        systems = self.start_systems(on_systems)
        self.write_inventory(systems, PASSWORDS)

        run = self.playbook("canary, room-b refused", playbook="canary")
        self.assertEqual(run.code, 2, run.output)
        self.assertEqual(run.recap["room-a"]["changed"], 1, run.output)
        self.assertEqual(run.recap["room-b"]["failed"], 1, run.output)
        self.assertEqual(systems["room-a"].read("systemsoftwareversion.dat").strip(), NEW_VERSION)
        self.assertEqual(changes(systems["room-b"].events()), [])
        # The last batch was never started: nobody even connected to room-c.
        self.assertEqual(systems["room-c"].events("connect"), [], run.output)
        self.assertNotIn("room-c", run.recap)
        self.assertNoPasswordShown(run, list(on_systems.values()))


class ModuleDocumentation(unittest.TestCase):
    """ansible-doc reads the module's DOCUMENTATION; it must describe the arguments the module takes."""

    def test_documented_options_are_the_accepted_arguments(self):
        library = os.path.dirname(MODULE)
        doc = subprocess.run(["ansible-doc", "--json", "-M", library, "quillmarch_update"],
                             capture_output=True, text=True, timeout=120)
        self.assertEqual(doc.returncode, 0, doc.stderr)
        documented = json.loads(doc.stdout)["quillmarch_update"]["doc"]["options"]
        probe = ("import json, runpy, sys; "
                 "m = runpy.run_path(sys.argv[1]); print(json.dumps(m['MODULE_ARGUMENTS']))")
        accepted = json.loads(subprocess.run(
            [ansible_python(), "-c", probe, MODULE],
            capture_output=True, text=True, check=True, timeout=60).stdout)
        self.assertEqual(sorted(documented), sorted(accepted))
        for name, option in accepted.items():
            doc_option = documented[name]
            self.assertEqual(doc_option["type"], option["type"], name)
            self.assertEqual(doc_option.get("default"), option.get("default"), name)
            self.assertEqual(doc_option.get("required", False), option.get("required", False),
                             name)
        self.assertEqual([n for n, o in accepted.items() if o.get("no_log")], ["password"])

    def test_documentation_and_return_values_pass_the_validate_modules_schema(self):
        """ansible-core's own validate-modules schema (voluptuous), run offline on the module's
        DOCUMENTATION and RETURN as a collection module."""
        if not os.path.isdir(VALIDATE_MODULES):
            self.skipTest("ansible-core's validate-modules is not installed")
        probe = r"""
import sys, yaml
sys.path.insert(0, sys.argv[2])
from ansible.parsing.plugin_docs import read_docstring
from ansible.utils.plugin_docs import add_collection_to_versions_and_dates
from validate_modules.schema import doc_schema, return_schema
from voluptuous.humanize import humanize_error
parsed = read_docstring(sys.argv[1], verbose=False, ignore_errors=False)
doc, ret = parsed["doc"], parsed["returndocs"]
add_collection_to_versions_and_dates(doc, "quillmarch.tessary", is_module=True)
add_collection_to_versions_and_dates(ret, "quillmarch.tessary", is_module=True, return_docs=True)
errors = []
for data, schema in ((doc, doc_schema("quillmarch_update", for_collection=True,
                                      plugin_type="module")),
                     (ret, return_schema(for_collection=True, plugin_type="module"))):
    try:
        schema(data)
    except Exception as exc:
        errors.append(humanize_error(data, exc) if hasattr(exc, "errors") else repr(exc))
print("\n".join(errors))
"""
        done = subprocess.run([ansible_python(), "-c", probe, MODULE, VALIDATE_MODULES],
                              capture_output=True, text=True, timeout=120)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(done.stdout.strip(), "")

    def test_default_log_folder_follows_xdg_state_home(self):
        probe = ("import json, os, runpy, sys; m = runpy.run_path(sys.argv[1]); "
                 "print(json.dumps(m['default_log_dir']()))")
        cases = [({"XDG_STATE_HOME": "/srv/state"}, "/srv/state/quillmarch/logs"),
                 ({"XDG_STATE_HOME": "relative/state"}, "/home/ops/.local/state/quillmarch/logs"),
                 ({}, "/home/ops/.local/state/quillmarch/logs")]
        for extra, expected in cases:
            env = dict(PATH=os.environ.get("PATH", "/usr/bin"), HOME="/home/ops", **extra)
            done = subprocess.run([ansible_python(), "-c", probe, MODULE], env=env,
                                  capture_output=True, text=True, check=True, timeout=60)
            self.assertEqual(json.loads(done.stdout), expected, extra)

    def test_rc_and_exit_code_are_documented_return_values(self):
        doc = subprocess.run(["ansible-doc", "--json", "-M", os.path.dirname(MODULE),
                              "quillmarch_update"], capture_output=True, text=True, timeout=120)
        returns = json.loads(doc.stdout)["quillmarch_update"]["return"]
        for key in ("rc", "exit_code", "cmd", "log", "report", "result", "failure"):
            self.assertIn(key, returns)
            self.assertTrue(returns[key].get("description"), key)


if __name__ == "__main__":
    unittest.main()
