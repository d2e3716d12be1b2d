#!/usr/bin/python
# -*- coding: utf-8 -*-
# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Ansible module: update the software of one Tessary system with quillmarch-cli.

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: quillmarch_update
short_description: Update the software of a Tessary video-conferencing system with quillmarch-cli
description:
  - "Runs C(quillmarch-cli) on the machine the task runs on (normally the controller, with
    C(delegate_to: localhost)) against one Tessary system, and returns the run's JSON report."
  - Unless I(force=true), a preflight C(quillmarch-cli --check) comes first. A system that
    already runs the version quillmarch-cli installs is left alone (C(changed=false)); a
    system that refuses the logon, has an unknown model or does not answer fails the task
    before anything is sent to it.
  - In check mode only the preflight runs. It sends nothing that changes the system;
    C(changed) then says whether a real run would update it.
  - C(changed) is true after a real run only when the system was updated (I(updated=true)).
    A failed run reports C(changed=true) when it had begun its tasks, because the system may
    then have been touched (switched into update mode, files written).
  - The password is handed to quillmarch-cli in its environment (C(QUILLMARCH_PASSWORD)),
    which only the same user (and root) may read, never on its command line, where every local
    user could read it in the process list. It never appears in the module's result, in
    quillmarch-cli's log or in its report.
version_added: "1.0.0"
author:
  - The Quillmarch developers (@quillmarch)
requirements:
  - quillmarch-cli on the machine the task runs on (the controller)
options:
  address:
    description:
      - IP address or DNS name of the system, as quillmarch-cli takes it (C(host),
        C(host:port), C([v6addr]:port), or a bare IPv6 address).
    type: str
    required: true
  port:
    description:
      - FTP port of the system, appended to I(address) (an IPv6 address is put in brackets).
      - Leave it out to use the port in I(address), or the FTP default.
    type: int
  password:
    description:
      - Administrator password of the system. Keep it in Ansible Vault.
      - See the description for where it is visible while quillmarch-cli runs.
    type: str
    required: true
  verify:
    description:
      - Pass C(--verify) - the run ends only when the system is back and runs the new
        software in normal mode; a failed verification fails the task.
    type: bool
    default: true
  verify_timeout:
    description: Longest verification in seconds (C(--verify-timeout)), 1 to 86400.
    type: int
    default: 900
  in_call:
    description:
      - What to do when the system is in a call (C(--in-call)), read before the first change
        and again right before the switch to update mode. C(skip) changes nothing and fails the
        task (failure code C(in_call)); C(wait) waits for the call to end, at most
        I(in_call_timeout); C(break) goes on and ends the call. Unattended, like a fleet, the
        module leaves calls alone by default.
    type: str
    choices: [skip, wait, break]
    default: skip
  in_call_timeout:
    description: Longest wait of I(in_call=wait) in seconds (C(--in-call-timeout)), 1 to 86400.
    type: int
    default: 1800
  force:
    description:
      - Skip the preflight and update even a system that already runs the version
        quillmarch-cli installs.
    type: bool
    default: false
  upload_image:
    description: Send the main software image (false passes C(-s)).
    type: bool
    default: true
  update_software:
    description: Update the software at all (false passes C(-ks)).
    type: bool
    default: true
  isdn:
    description: ISDN update variant (C(-i)).
    type: bool
    default: false
  passive:
    description: Passive FTP data connections (C(-m)), for systems behind firewalls.
    type: bool
    default: false
  retain_address_book:
    description: Keep the address book across the update (false passes C(-fa)).
    type: bool
    default: true
  retain_system_settings:
    description: Keep the system settings across the update (false passes C(-fs)).
    type: bool
    default: true
  retain_sample_sites:
    description: Keep the sample sites across the update (false passes C(-fp)).
    type: bool
    default: true
  upload_timeout:
    description: Time-out in seconds for the image upload (C(-t:)); 0 for none.
    type: int
  log_dir:
    description:
      - Folder for quillmarch-cli's logs, created private (0700) if missing. The run's log is
        C(<address>.log) with C(.) and C(:) as C(_), the preflight's C(<address>-check.log);
        quillmarch-cli keeps the previous log of each as C(..._bak.log).
      - Without it, C($XDG_STATE_HOME/quillmarch/logs), else C(~/.local/state/quillmarch/logs)
        on the machine that runs quillmarch-cli.
    type: path
  executable:
    description: The quillmarch-cli program, a path or a name looked up in C(PATH).
    type: path
    default: quillmarch-cli
  payloads:
    description:
      - Image pack folder (C(--images)). Leave it out for the usual places
        (C(QUILLMARCH_PAYLOADS), then C(/var/lib/quillmarch/images)); the installed sample
        images in C(/usr/share/quillmarch/sample-images) are used only when named here.
      - The pack's C(manifest.json) names the version each image installs; that version decides
        whether a system is up to date, so C(changed) is false for a system already on it. A
        folder without a manifest cannot say, so such a system is always updated.
      - An image whose size or SHA-256 differs from the manifest is refused before anything
        changes (the report's failure code C(image_damaged)).
    type: path
  require_signed:
    description:
      - Refuse a pack whose C(manifest.json.minisig) is missing, broken or not made by a trusted
        key (C(--require-signed)); trusted keys are C(/etc/quillmarch/trusted-keys/*.pub) and
        I(trusted_keys).
    type: bool
    default: false
  trusted_keys:
    description: Further minisign public key files to trust (C(--trusted-key)).
    type: list
    elements: path
    default: []
notes:
  - quillmarch-cli locks each system, so two tasks against the same address (two inventory
    names for one system) do not run at the same time; the second fails.
  - Forks give the parallelism; C(serial) and C(max_fail_percentage) give a canary roll-out
    (see the README next to this module).
attributes:
  check_mode:
    description: Can run in check_mode and return changed status prediction without modifying target.
    support: full
    details: Runs C(quillmarch-cli --check), which sends nothing that changes the system.
  diff_mode:
    description: Will return details on what has changed (or possibly needs changing in check_mode), when in diff mode.
    support: none
'''

EXAMPLES = r'''
- name: Update every Tessary system from the controller
  hosts: tessary
  gather_facts: false
  tasks:
    - name: Update the software
      quillmarch_update:
        address: "{{ quillmarch_address }}"
        password: "{{ quillmarch_password }}"   # from an Ansible Vault file
      delegate_to: localhost
      register: quillmarch

    - name: Say what was installed
      ansible.builtin.debug:
        msg: "{{ quillmarch.report.before.software_version }} -> {{ quillmarch.report.after.software_version }}"
      when: quillmarch.updated

- name: Update without keeping the sample sites, through passive FTP on port 2121
  quillmarch_update:
    address: 10.20.0.11
    port: 2121
    password: "{{ quillmarch_password }}"
    passive: true
    retain_sample_sites: false
  delegate_to: localhost
'''

RETURN = r'''
updated:
  description: True when this task updated the system (a real run that succeeded).
  returned: always
  type: bool
  sample: true
would_update:
  description: The preflight found the system ready and not yet on the version quillmarch-cli installs.
  returned: when a preflight ran
  type: bool
  sample: true
result:
  description:
    - The report's outcome. A run - C(success), C(failure), C(interrupted); a check
      (check mode, or a system found up to date) - C(ready), C(up_to_date), C(cannot_update),
      C(unreachable), C(failure).
  returned: when quillmarch-cli wrote a report
  type: str
  sample: success
failure:
  description: Why it failed, as a stable code and in words (the report's C(failure)).
  returned: when quillmarch-cli wrote a report
  type: dict
  sample: {"code": "logon_refused", "reason": "Cannot connect to system: Wrong password"}
call_state:
  description:
    - Whether the system was in a call when quillmarch-cli last looked - C(in_call),
      C(no_call), C(unknown) (its web server did not answer), or null when it never looked.
      The report's C(call) holds the policy and the time waited too.
  returned: when quillmarch-cli wrote a report
  type: str
  sample: no_call
report:
  description:
    - The JSON report of the last quillmarch-cli invocation - the update run, or the preflight
      when no run followed. Schema in quillmarch's C(docs/report.schema.json).
  returned: when quillmarch-cli wrote a report
  type: dict
  sample: {"kind": "update", "result": "success", "before": {"software_version": "9.0.5"},
           "after": {"software_version": "Release_ru 9.0.6.2-103 05-September-2011 02:10"},
           "exit_code": 0}
preflight:
  description:
    - The report of the preflight check (C(--check)) that came before the update run. When
      no run followed (check mode, up to date, or a failed preflight) that report is
      I(report).
  returned: when an update run followed a preflight
  type: dict
rc:
  description:
    - Exit status of the last quillmarch-cli invocation (its C(--help) lists them). Whether the
      task failed is decided by the outcome, not by I(rc) alone - a preflight that finds the
      system up to date ends with 4 and the task succeeds.
  returned: always
  type: int
  sample: 0
exit_code:
  description: The same as I(rc), kept for playbooks written before I(rc) was returned.
  returned: always
  type: int
  sample: 0
cmd:
  description: The last command line; the password is never on it (it goes in the environment).
  returned: always
  type: list
  elements: str
  sample: ["/usr/bin/quillmarch-cli", "-q", "--check", "-f:/home/ops/.local/state/quillmarch/logs/10_20_0_11-check.log", "--report", "/tmp/check.json", "10.20.0.11"]
log:
  description: Path of the last invocation's log on the machine that ran it.
  returned: always
  type: str
stdout:
  description: Standard output of the last invocation.
  returned: always
  type: str
stderr:
  description: Standard error of the last invocation.
  returned: always
  type: str
'''

import json
import os
import re

from ansible.module_utils.basic import AnsibleModule

# quillmarch-cli's exit codes (its --help).
EXIT_OK = 0
EXIT_CHECK_UP_TO_DATE = 4
EXIT_CHECK_CANNOT_UPDATE = 5
EXIT_CHECK_UNREACHABLE = 6
EXIT_MEANING = {
    1: "the update failed, or another run is writing the same log",
    2: "quillmarch-cli refused its command line",
    3: "quillmarch-cli could not write a log",
    4: "the system already runs the version quillmarch-cli installs",
    5: "the system cannot be updated (refused logon, unknown model, no image)",
    6: "nothing answered at the address",
    7: "the update failed and the system may still be in update mode",
    8: "the image was sent but the update was not verified (--no-verify)",
    130: "stopped by SIGINT",
    143: "stopped by SIGTERM",
}


def full_address(address, port):
    if port is None:
        return address
    if ":" in address and not address.startswith("["):
        address = "[%s]" % address
    return "%s:%d" % (address, port)


def default_log_dir():
    # The XDG base directories: state that outlives a run but is no user data.
    state = os.environ.get("XDG_STATE_HOME", "")
    if not os.path.isabs(state):
        state = os.path.join(os.path.expanduser("~"), ".local", "state")
    return os.path.join(state, "quillmarch", "logs")


def log_name(address):
    return re.sub(r"[^A-Za-z0-9_-]", "_", address)


def option_args(params):
    args = ["-q"]
    if not params["upload_image"]:
        args.append("-s")
    if not params["update_software"]:
        args.append("-ks")
    if params["isdn"]:
        args.append("-i")
    if params["passive"]:
        args.append("-m")
    if not params["retain_address_book"]:
        args.append("-fa")
    if not params["retain_system_settings"]:
        args.append("-fs")
    if not params["retain_sample_sites"]:
        args.append("-fp")
    if params["upload_timeout"] is not None:
        args.append("-t:%d" % params["upload_timeout"])
    if params["payloads"]:
        args += ["--images", params["payloads"]]
    if params["require_signed"]:
        args.append("--require-signed")
    for key in params["trusted_keys"]:
        args += ["--trusted-key", key]
    args += ["--in-call", params["in_call"], "--in-call-timeout", str(params["in_call_timeout"])]
    if params["verify"]:
        # --verify-timeout implies --verify; a check only records it in its report.
        args += ["--verify-timeout", str(params["verify_timeout"])]
    return args


class Runner(object):
    def __init__(self, module, executable, address, environ):
        self.module = module
        self.executable = executable
        self.address = address
        self.environ = environ
        self.last = {}

    def run(self, args, log_path, report_path):
        password = self.module.params["password"]
        tail = args + ["-f:" + log_path, "--report", report_path, self.address]
        if os.path.exists(report_path):
            os.unlink(report_path)
        # The password goes only into the child's environment, never its command line.
        environ = dict(self.environ, QUILLMARCH_PASSWORD=password)
        rc, out, err = self.module.run_command(
            [self.executable] + tail, environ_update=environ, check_rc=False)
        report = None
        if os.path.exists(report_path):
            try:
                with open(report_path, encoding="utf-8") as fh:
                    report = json.load(fh)
            except ValueError as exc:
                err = "%s\n(the report could not be read: %s)" % (err, exc)
        self.last = dict(rc=rc, exit_code=rc, stdout=out, stderr=err, log=log_path,
                         cmd=[self.executable] + tail)
        return rc, report

    def outcome(self, report, **extra):
        # Ansible calls a result with a non-zero rc failed unless it says otherwise; an up-to-date
        # preflight ends with 4 and is no failure (fail_json sets it True).
        result = dict(self.last, failed=False)
        if report is not None:
            result.update(report=report, result=report.get("result"),
                          failure=report.get("failure"),
                          call_state=(report.get("call") or {}).get("state"))
        result.update(extra)
        return result

    def fail(self, msg, report, **extra):
        result = self.outcome(report, **extra)
        self.module.fail_json(msg=msg, **result)


def failure_text(rc, report):
    if report and report.get("failure"):
        failure = report["failure"]
        return "%s (%s)" % (failure.get("reason"), failure.get("code"))
    return EXIT_MEANING.get(rc, "quillmarch-cli ended with exit status %d" % rc)


MODULE_ARGUMENTS = dict(
    address=dict(type="str", required=True),
    port=dict(type="int"),
    password=dict(type="str", required=True, no_log=True),
    verify=dict(type="bool", default=True),
    verify_timeout=dict(type="int", default=900),
    in_call=dict(type="str", default="skip", choices=["skip", "wait", "break"]),
    in_call_timeout=dict(type="int", default=1800),
    force=dict(type="bool", default=False),
    upload_image=dict(type="bool", default=True),
    update_software=dict(type="bool", default=True),
    isdn=dict(type="bool", default=False),
    passive=dict(type="bool", default=False),
    retain_address_book=dict(type="bool", default=True),
    retain_system_settings=dict(type="bool", default=True),
    retain_sample_sites=dict(type="bool", default=True),
    upload_timeout=dict(type="int"),
    log_dir=dict(type="path"),
    executable=dict(type="path", default="quillmarch-cli"),
    payloads=dict(type="path"),
    require_signed=dict(type="bool", default=False),
    trusted_keys=dict(type="list", elements="path", default=[]),
)


def main():
    module = AnsibleModule(
        argument_spec=MODULE_ARGUMENTS,
        supports_check_mode=True,
    )
    params = module.params
    if not 1 <= params["verify_timeout"] <= 86400:
        module.fail_json(msg="verify_timeout must be 1 to 86400 seconds")
    if not 1 <= params["in_call_timeout"] <= 86400:
        module.fail_json(msg="in_call_timeout must be 1 to 86400 seconds")
    if params["port"] is not None and not 1 <= params["port"] <= 65535:
        module.fail_json(msg="port must be 1 to 65535")

    executable = params["executable"]
    if os.sep not in executable:
        executable = module.get_bin_path(executable, required=True)
    environ = {}
    if params["payloads"]:
        # Also for the help page and an older quillmarch-cli without --images.
        environ["QUILLMARCH_PAYLOADS"] = params["payloads"]

    log_dir = params["log_dir"] or default_log_dir()
    try:
        os.makedirs(log_dir, mode=0o700, exist_ok=True)
    except OSError as exc:
        module.fail_json(msg="cannot create log_dir %s: %s" % (log_dir, exc))

    address = full_address(params["address"], params["port"])
    name = log_name(address)
    runner = Runner(module, executable, address, environ)
    options = option_args(params)
    reports = module.tmpdir  # private, removed when the module ends

    preflight = None
    if module.check_mode or not params["force"]:
        rc, preflight = runner.run(
            options + ["--check"],
            os.path.join(log_dir, name + "-check.log"),
            os.path.join(reports, "check.json"))
        if rc == EXIT_OK:
            if module.check_mode:
                module.exit_json(changed=True, **runner.outcome(
                    preflight, updated=False, would_update=True))
        elif rc == EXIT_CHECK_UP_TO_DATE:
            module.exit_json(changed=False, **runner.outcome(
                preflight, updated=False, would_update=False))
        else:
            runner.fail("preflight check of %s: %s" % (address, failure_text(rc, preflight)),
                        preflight, changed=False, updated=False, would_update=False)

    rc, report = runner.run(
        options,
        os.path.join(log_dir, name + ".log"),
        os.path.join(reports, "run.json"))
    extra = dict(preflight=preflight, would_update=True) if preflight is not None else {}
    if rc == EXIT_OK and report is not None and report.get("result") == "success":
        module.exit_json(changed=True, **runner.outcome(report, updated=True, **extra))
    # A run that had begun its tasks may have touched the system; exit 2 or 3 sent nothing.
    touched = bool(report and report.get("tasks"))
    runner.fail("update of %s failed: %s" % (address, failure_text(rc, report)), report,
                changed=touched, updated=False, **extra)


if __name__ == "__main__":
    main()
