// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetSystemArguments.h"

#include "core/job/CommandLine.h"
#include "core/job/RunContext.h"
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

// The ordinary parser on a job record of its own; nothing is opened or sent.
bool ParseScratch(const std::vector<std::string>& args, std::string& error) {
    RealClock clock;
    ConsoleMessageBox messageBox;
    RunContext scratch(clock, messageBox);
    return CommandLine::Parse(scratch, args, error);
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

std::vector<std::string> FleetSystemArguments::RunArguments(const FleetOptions& options,
                                                            const FleetSystem& system) {
    // The log's name comes from the address, never from the row's name.
    const std::string log = options.logDir + "/" + CommandLine::LogName(system.address);
    std::vector<std::string> args = {
        "-q", "-f:" + log, "--verify-timeout=" + std::to_string(options.verifyTimeoutSeconds)};
    if (options.check) args.push_back("--check");
    args.insert(args.end(), options.commonOptions.begin(), options.commonOptions.end());
    args.insert(args.end(), system.options.begin(), system.options.end());
    args.push_back("-p:" + system.password);
    args.push_back(system.address);
    return args;
}

}  // namespace quillmarch::fleet
