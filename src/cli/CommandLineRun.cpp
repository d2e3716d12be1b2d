// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CommandLineRun.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "cli/PackCommand.h"
#include "cli/ReportedRun.h"
#include "cli/RunPassword.h"
#include "cli/SignalScope.h"
#include "cli/TerminalProgressFactory.h"
#include "cli/fleet/FleetCommand.h"
#include "core/job/CommandLine.h"
#include "core/job/RunContext.h"
#include "core/run/PreflightCheck.h"
#include "core/run/UpdateRun.h"
#include "core/ui/ConsoleMessageBox.h"
#include "core/ui/MessageBoxRouter.h"
#include "core/util/RealClock.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

std::string CommandLineRun::UsageTemplate() {
    return "Usage: {program} [options] ADDRESS\n"
           "Updates the software of a Tessary video conferencing system.\n"
           "\n"
           "ADDRESS        IP address or DNS name of the system, optionally with an FTP port:\n"
           "               host, host:port, [IPv6]:port or a bare IPv6 address (::1)\n"
           "  -p:PASSWORD  administrator password of the system; other local users can read\n"
           "               it in the process list: prefer --password-file or the environment\n"
           "  --password-file FILE  the password is the file's first line (chmod 600)\n"
           "  -q           quiet: no progress display, no questions; messages go to the log\n"
           "  -s           do not send the main software image\n"
           "  -m           passive FTP data connections (systems behind firewalls)\n"
           "  -i           ISDN update variant\n"
           "  -ks          keep the software: no software update\n"
           "  -fa          do not retain the address book\n"
           "  -fs          do not retain the system settings\n"
           "  -fp          do not retain the sample sites\n"
           "  -f:PATH      log file (default: in the current folder, the address with '.',\n"
           "               ':', '[' and ']' as '_', plus .log: 10_1_2_3.log)\n"
           "  -t:SECONDS   time-out for the image upload (0: none)\n"
           "  --quiet      the same as -q\n"
           "  --passive    the same as -m\n"
           "  --check      look at the system and say what a run would do; changes nothing\n"
           "  --verify     the default: after the image, wait until the system is back and\n"
           "               check that it runs the new software in normal mode; a failed\n"
           "               check fails the run\n"
           "  --no-verify  do not check the system after the image: the run still waits\n"
           "               until it answers again; a success is unchecked (exit status 8)\n"
           "  --verify-timeout SECONDS  longest wait for the system after the image\n"
           "               (default 900), with or without the check\n"
           "  --in-call skip|wait|break  a system in a call: skip changes nothing (exit 1),\n"
           "               wait looks every 30 s until the call ends, break (the default)\n"
           "               goes on and ends it; read before the first change and before SWUS\n"
           "  --in-call-timeout SECONDS  longest wait for a call to end (default 1800)\n"
           "  --report FILE  JSON report of the run or check, written even on failure\n"
           "               (- for standard output; a check's table then goes to stderr)\n"
           "  --images DIR   the image pack to send from (default: QUILLMARCH_PAYLOADS, else\n"
           "               payloads/ beside the program, else /var/lib/quillmarch/images)\n"
           "  --require-signed  refuse a pack whose manifest.json.minisig is missing or not\n"
           "               made by a trusted key (/etc/quillmarch/trusted-keys/*.pub)\n"
           "  --trusted-key FILE  also trust this minisign public key (may be repeated)\n"
           "  -h, --help   this text\n"
           "  --version    the program's version\n"
           "\n"
           "Restarts are watched, not timed: a wait ends once the system has gone away and\n"
           "answers again, at most 600 s for the restart into update mode and the\n"
           "--verify-timeout after the image.\n"
           "Each option is one argument; quote a value that holds blanks (-p:\"my secret\").\n"
           "An option the program does not know, or a second address, is refused.\n"
           "Image packs: {program} --make-manifest DIR --image-version TEXT [--pack-name T]\n"
           "               writes DIR/manifest.json (each image's models, version, size, SHA-256)\n"
           "  {program} --check-images DIR [--require-signed] [--trusted-key FILE]\n"
           "               checks every listed image; exit 0 good, 1 damaged or refused\n"
           "Before anything on the system changes (and in --check) the image is checked\n"
           "against the manifest; a damaged or unlisted image is refused (image_damaged).\n"
           "Without a manifest the image's version is not known: --check never says up to date\n"
           "and --verify checks only that the version changed.\n"
           "Exit status:\n"
           "  0    the update succeeded, verified if it sent an image (or the wizard\n"
           "       ran); --check: ready to update\n"
           "  1    the update failed, another run is updating the same system, or another\n"
           "       run is writing the same log\n"
           "  2    bad command line, or no address and no display; nothing was sent\n"
           "  3    no log could be written anywhere; nothing was sent\n"
           "  4    --check: the system already runs the version this program installs\n"
           "  5    --check: cannot update (refused logon, unknown model, no image, a damaged\n"
           "       image or a refused pack)\n"
           "  6    --check: nothing answered at the address\n"
           "  7    the update failed and the system may still be in update mode: it could\n"
           "       not be sent back to normal mode (the log says why)\n"
           "  8    --no-verify: the image was sent and the system answers again; unchecked\n"
           "  130  stopped by Ctrl+C (143: by SIGTERM, Ctrl+Break or closing the console;\n"
           "       129: by SIGHUP, a closed terminal)\n"
           "\n"
           "Fleet runs: {program} --fleet FILE [fleet options] [per-system options]\n"
           "  --fleet FILE  update every system of a CSV inventory, several at once; a header\n"
           "               row names the columns address (required), name, options (per-system\n"
           "               flags such as -m -t:600), password; separated by ',' or ';'\n"
           "  -j N         updates at once, 1 to 256 (default 8; -jN also)\n"
           "  --canary K   update K systems first; the others start once all K verified\n"
           "  --max-failures F  start no further update after F failures\n"
           "  --force      also update systems that already run the version this installs\n"
           "  --check      check every system, print one table; nothing is changed\n"
           "  --log-dir DIR  one log per system, named from its address (default: logs)\n"
           "  --report FILE  JSON report of every system and the fleet summary (- for stdout)\n"
           "  --password-file FILE  password of the rows without one: its first line; the\n"
           "               file (and an inventory with passwords) must be private (chmod 600)\n"
           "  --in-call skip|wait|break  as for one system, but a fleet skips by default:\n"
           "               the result is \"in a call\", counted apart, and a resume retries it\n"
           "  --retry-failed N  try failed systems again at the end, up to N more times\n"
           "  --window HH:MM-HH:MM  start updates only inside this local time window (may\n"
           "               cross midnight); once it closes, the rest are not started\n"
           "  --resume REPORT  go on from an earlier fleet report: only systems that did not\n"
           "               end succeeded or up to date run; its options apply unless given\n"
           "Fleet updates are always verified (--verify-timeout applies) and quiet per system;\n"
           "-p: and -f: are refused. A row without a password takes --password-file, else\n"
           "QUILLMARCH_PASSWORD, else a prompt on the terminal. Ctrl+C once: no new starts;\n"
           "twice: the running updates stop at their next safe point.\n"
           "Fleet exit status:\n"
           "  0    every system was updated, or skipped as already up to date\n"
           "  1    any system failed, was in a call, was left out of the --window or was\n"
           "       held back (--canary, --max-failures);\n"
           "       --check: any system neither ready nor up to date\n"
           "  2    bad inventory or command line; nothing was sent\n"
           "  130  stopped by Ctrl+C (143: by SIGTERM)\n"
           "Environment: QUILLMARCH_PAYLOADS (payload folder), QUILLMARCH_TIME_SCALE (scales\n"
           "every fixed wait; a test and demo aid), QUILLMARCH_PASSWORD (the password when\n"
           "neither -p: nor --password-file gives one; without any of them, a run that may\n"
           "ask prompts on a terminal, else the password is empty), QUILLMARCH_TEST_CLOCK (a\n"
           "test aid: HH:MM:SS[*FACTOR], the local time a fleet's --window is judged by).\n";
}

std::string CommandLineRun::Usage(const std::string& program) {
    std::string text = UsageTemplate();
    for (std::size_t at = text.find("{program}"); at != std::string::npos;
         at = text.find("{program}", at + program.size()))
        text.replace(at, std::string_view("{program}").size(), program);
    return text;
}

std::string CommandLineRun::VersionText(const std::string& program) {
    return program + " " + QUILLMARCH_VERSION +
           "\n"
           "Copyright 2026 The Quillmarch developers\n"
           "License GPL-3.0-or-later: GNU GPL version 3 or later "
           "<https://www.gnu.org/licenses/gpl-3.0.html>\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}

bool CommandLineRun::WantsHelp(const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h" || arg == "/?") return true;
    }
    return false;
}

bool CommandLineRun::WantsVersion(const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        if (arg == "--version") return true;
    }
    return false;
}

int CommandLineRun::Main(int argc, char** argv, const GuiHooks& hooks, const std::string& program) {
    SignalScope::IgnoreBrokenPipes();
    const std::vector<std::string> args = CommandLine::Arguments(argc, argv);
    if (WantsHelp(args)) {
        std::fputs(Usage(program).c_str(), stdout);
        return 0;
    }
    if (WantsVersion(args)) {
        std::fputs(VersionText(program).c_str(), stdout);
        return 0;
    }
    if (const std::string problem = RealClock::ScaleProblem(); !problem.empty()) {
        std::fprintf(stderr, "quillmarch: %s\n", problem.c_str());
        return 2;
    }
    if (fleet::FleetCommand::Wanted(args)) return fleet::FleetCommand::Main(args);
    if (PackCommand::Wanted(args)) return PackCommand::Main(args);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    RealClock clock(RealClock::ScaleFromEnvironment());
    ConsoleMessageBox console;
    MessageBoxRouter messageBox(console);
    TerminalProgressFactory progressFactory(clock);
    RunContext app(clock, messageBox);
    app.SetProgressWindowFactory(&progressFactory);
    app.SetPasswordSource(RunPassword::Resolve);
    app.SetTimeScale(clock.Scale());
    clock.SetInterrupt(&app.Interrupt());
    const StartupResult started = app.Startup(args);
    if (started.state != StartupState::kReady && started.state != StartupState::kNoArguments)
        return Refuse(started, program);
    if (app.Job().target.address.empty()) {
        if (hooks.runWizard && GuiUsable(hooks))
            return RunWizard(app, messageBox, hooks, argc, argv);
        // No wizard without a display: say how to run it instead.
        std::fputs(Usage(program).c_str(), stderr);
        app.CloseLog();
        return 2;
    }
    SignalScope signals(app.Interrupt());
    ReportedRun reported(app);
    int code = 0;
    if (app.Job().options.checkOnly) {
        code = PreflightCheck(app).Run(&reported.Report(), reported.TableStream());
    } else {
        const ProgramEnd endNow = [&app, &reported](std::optional<bool> outcome) {
            const int lostCode = outcome ? ExitCodeFor(app, *outcome) : 1;
            EndProgram(app);
            reported.Finish(lostCode);
            std::fflush(nullptr);
            std::_Exit(lostCode);
        };
        code = ExitCodeFor(app, RunFromCommandLine(app, messageBox, hooks, argc, argv, endNow));
    }
    EndProgram(app);
    reported.Finish(code);
    return code;
}

int CommandLineRun::RunWizard(RunContext& app, MessageBoxRouter& router, const GuiHooks& hooks,
                              int& argc, char** argv) {
    // A stop ends the wizard as it ends a command-line run: a run first reaches a safe point.
    SignalScope signals(app.Interrupt());
    const ProgramEnd endNow = [&app](std::optional<bool> outcome) {
        const int lostCode = outcome ? ExitCodeFor(app, *outcome) : 1;
        EndProgram(app);
        std::fflush(nullptr);
        std::_Exit(lostCode);
    };
    int code = hooks.runWizard(app, router, argc, argv, endNow);
    if (app.Interrupt().Requested()) code = app.Interrupt().ExitCode();
    EndProgram(app);
    return code;
}

int CommandLineRun::ExitCodeFor(const RunContext& app, bool success) {
    // A run that finished before the stop took effect says so with its own outcome.
    if (success) {
        // A success nobody checked is not the same answer as a verified one.
        return app.m_imageUnchecked ? ReportedRun::kUncheckedSuccess : 0;
    }
    if (app.Interrupt().Requested()) return app.Interrupt().ExitCode();
    return LeftUnsafe(app.m_systemEndMode) ? kExitLeftInUpdateMode : 1;
}

int CommandLineRun::Refuse(const StartupResult& started, const std::string& program) {
    switch (started.state) {
        case StartupState::kBadCommandLine:
            std::fprintf(stderr, "quillmarch: %s\n\n%s", started.message.c_str(),
                         Usage(program).c_str());
            return 2;
        case StartupState::kLogRefused:
            std::fprintf(stderr, "quillmarch: %s; nothing was sent to the system\n",
                         text::ForLog(started.message, 512).c_str());
            return 2;
        case StartupState::kLogBusy:
            std::fprintf(stderr,
                         "quillmarch: %s: another run is writing this log; nothing was sent to "
                         "the system\n",
                         started.message.c_str());
            return 1;
        default:
            std::fprintf(stderr,
                         "quillmarch: no log can be written (%s); nothing was sent to the "
                         "system\n",
                         started.message.c_str());
            return 3;
    }
}

bool CommandLineRun::LeftUnsafe(SystemEndMode mode) {
    return mode == SystemEndMode::kUpdateMode || mode == SystemEndMode::kUnknown;
}

bool CommandLineRun::GuiUsable(const GuiHooks& hooks) {
    return hooks.displayAvailable && hooks.displayAvailable();
}

bool CommandLineRun::RunFromCommandLine(RunContext& app, MessageBoxRouter& router,
                                        const GuiHooks& hooks, int& argc, char** argv,
                                        const ProgramEnd& endNow) {
    UpdateRun run(app);
    if (!app.Job().options.quiet) {
        if (hooks.runWithProgressWindow && GuiUsable(hooks))
            return hooks.runWithProgressWindow(app, router, argc, argv, endNow);
        return run.RunUpdateNoParent();  // progress on the terminal
    }
    const bool success = run.RunUpdate(0);
    if (!success) {
        // The run has closed its log: the failure line goes after its last record.
        if (app.m_log.Append(app.m_log.LastPath())) {
            app.WriteLog(app.LoadUiString(194, "Failure"), 0);
            app.m_log.Close();
        }
    }
    return success;
}

void CommandLineRun::EndProgram(RunContext& app) {
    if (app.m_link) app.m_link->Disconnect();
    if (app.m_progressWnd) {
        app.m_progressWnd->PostClose();
        app.Clock().Wait(std::chrono::milliseconds(500));
    }
    app.CloseLog();
}

}  // namespace quillmarch
