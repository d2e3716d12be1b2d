// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetSystemArguments.h"

#include <string>
#include <utility>
#include <vector>

#include "core/job/CommandLine.h"
#include "core/job/RunContext.h"
#include "core/job/RunModeOptions.h"
#include "core/platform/Platform.h"
#include "core/ui/ConsoleMessageBox.h"
#include "core/util/AddressNames.h"
#include "core/util/RealClock.h"
#include "core/util/TextUtil.h"

namespace quillmarch::fleet {

namespace {

// Options of the whole fleet run; a row cannot change them for one system.
constexpr const char* kFleetWide[] = {"--check", "--verify",  "--verify-timeout", "--report", "-q",
                                      "--quiet", "--in-call", "--in-call-timeout"};

bool IsPasswordArgument(const std::string& lower) {
    return lower.size() >= 2 && lower[0] == '-' && lower[1] == 'p';
}

bool IsFleetWide(const std::string& lower) {
    for (const char* name : kFleetWide) {
        const std::string n(name);
        if (lower == n || lower.rfind(n + "=", 0) == 0) return true;
    }
    return false;
}

// The ordinary parser on a job record of its own; nothing is opened or sent. `job`, when given,
// receives what the arguments set.
bool ParseScratch(const std::vector<std::string>& args, std::string& error,
                  UpdateJob* job = nullptr) {
    RealClock clock;
    ConsoleMessageBox messageBox;
    RunContext scratch(clock, messageBox);
    if (!CommandLine::Parse(scratch, args, error)) return false;
    if (job) *job = scratch.Job();
    return true;
}

// The "Command Line: " record of a system's log, as a single run given the same flags and the
// fleet's settings would show it. Only ever shown: the password is masked before it is built.
std::string RecordedCommandLine(const FleetOptions& options, const FleetSystem& system,
                                std::vector<std::string> words, const std::string& logPath) {
    words.push_back("-q");
    words.push_back(system.password.empty() ? "-p:" : "-p:****");
    words.push_back("-f:" + logPath);
    if (options.check) words.push_back("--check");
    words.insert(words.end(),
                 {"--verify-timeout", std::to_string(options.verifyTimeoutSeconds), "--in-call",
                  RunModeOptions::CallPolicyName(options.inCall), "--in-call-timeout",
                  std::to_string(options.inCallTimeoutSeconds), system.address});
    return CommandLine::MaskedText(words);
}

}  // namespace

std::string FleetSystemArguments::Refusal(const std::string& arg, Origin origin) {
    const std::string lower = text::Lower(arg);
    const bool row = origin == Origin::kInventoryRow;
    if (IsPasswordArgument(lower)) {
        if (row) return "a password goes in the password column, not among the options";
        return "a fleet run takes no password on its command line, where other users could "
               "see it: use the inventory's password column, --password-file FILE or the "
               "environment variable QUILLMARCH_PASSWORD";
    }
    if (lower.rfind("-f:", 0) == 0)
        return "option \"-f:\" is refused: a fleet run writes one log per system under "
               "--log-dir";
    if (lower == "--no-verify")
        return "option \"--no-verify\" is refused: every update of a fleet is verified";
    if (row && IsFleetWide(lower))
        return "option \"" + text::ForLog(arg, 64) +
               "\" applies to the whole fleet; give it on the command line";
    return {};
}

bool FleetSystemArguments::CheckCommon(const std::vector<std::string>& common, std::string& error) {
    return ParseScratch(common, error);
}

bool FleetSystemArguments::CheckRow(const std::vector<std::string>& common,
                                    const std::vector<std::string>& rowOptions,
                                    const std::string& address, std::string& error) {
    for (const std::string& option : rowOptions) {
        error = Refusal(option, Origin::kInventoryRow);
        if (!error.empty()) return false;
        if (option.empty() || option[0] != '-') {
            error = "the options hold \"" + text::ForLog(option, 64) +
                    "\", which is not an option; the address has a column of its own";
            return false;
        }
    }
    if (!CommandLine::IsAddress(address)) {
        error = "the address is not a host name or IP address (host, host:port, [IPv6]:port)";
        return false;
    }
    std::vector<std::string> args = common;
    args.insert(args.end(), rowOptions.begin(), rowOptions.end());
    args.push_back("-p:x");  // a stand-in: the real password never meets a parser's message
    args.push_back(address);
    return ParseScratch(args, error);
}

bool FleetSystemArguments::Job(const FleetPlan& plan, const FleetSystem& system,
                               FleetSystemJob& out, std::string& error) {
    const FleetOptions& options = plan.options;
    // The system's own flags come after the common ones. Neither holds a password or an
    // address: the inventory and the fleet's command line refuse them there.
    std::vector<std::string> flags = options.commonOptions;
    flags.insert(flags.end(), system.options.begin(), system.options.end());
    UpdateJob job;
    if (!ParseScratch(flags, error, &job)) return false;
    job.target.address = system.address;
    job.target.password = system.password;
    job.options.quiet = true;
    if (options.check) job.options.checkOnly = true;
    job.options.verify = true;
    job.options.verifyTimeoutSeconds = options.verifyTimeoutSeconds;
    job.options.inCall = options.inCall;
    job.options.inCallTimeoutSeconds = options.inCallTimeoutSeconds;
    out.logPath = LogPath(options, system.address);
    job.options.commandLine = RecordedCommandLine(options, system, std::move(flags), out.logPath);
    out.job = std::move(job);
    return true;
}

std::string FleetSystemArguments::LogPath(const FleetOptions& options, const std::string& address) {
    std::string name = CommandLine::LogName(address);
    if (options.logDir.empty()) return name;
    return platform::Utf8FromPath(platform::PathFromUtf8(options.logDir) /
                                  platform::PathFromUtf8(name));
}

}  // namespace quillmarch::fleet
