// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/fleet/FleetCommandLine.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>

#include "cli/fleet/FleetSystemArguments.h"
#include "core/job/RunModeOptions.h"
#include "core/platform/OutputPlace.h"
#include "core/util/TextUtil.h"

namespace quillmarch::fleet {

namespace {

struct TextOption {
    std::string_view name;
    std::string FleetOptions::*member;
};

struct NumberOption {
    std::string_view name;
    int FleetOptions::*member;
    int low;
    int high;
    std::string_view unit;
};

constexpr TextOption kTextOptions[] = {
    {"--fleet", &FleetOptions::inventoryPath}, {"--log-dir", &FleetOptions::logDir},
    {"--report", &FleetOptions::reportPath},   {"--password-file", &FleetOptions::passwordFile},
    {"--resume", &FleetOptions::resumePath},
};

constexpr NumberOption kNumberOptions[] = {
    {"-j", &FleetOptions::jobs, 1, kMaxJobs, "updates at once"},
    {"--canary", &FleetOptions::canary, 1, kMaxFleetCount, "systems"},
    {"--max-failures", &FleetOptions::maxFailures, 1, kMaxFleetCount, "failures"},
    {"--verify-timeout", &FleetOptions::verifyTimeoutSeconds, 1, RunModeOptions::kMaxVerifySeconds,
     "seconds"},
    {"--in-call-timeout", &FleetOptions::inCallTimeoutSeconds, 1, RunModeOptions::kMaxInCallSeconds,
     "seconds"},
    {"--retry-failed", &FleetOptions::retryFailed, 1, kMaxRetries, "tries"},
};

std::string Shown(const std::string& arg) {
    // The name only: a value after "=" may be a secret.
    const auto cut = arg.find('=');
    if (cut != std::string::npos) return "\"" + text::ForLog(arg.substr(0, cut + 1), 64) + "...\"";
    return "\"" + text::ForLog(arg, 64) + "\"";
}

// True when `lower` is `name` or `name=...`.
bool Names(const std::string& lower, std::string_view name) {
    return lower.rfind(name, 0) == 0 && (lower.size() == name.size() || lower[name.size()] == '=');
}

bool ParseNumber(const std::string& text, int low, int high, int& out) {
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    const int value = std::stoi(text);
    if (value < low || value > high) return false;
    out = value;
    return true;
}

// The name a repeat is recognised by: aliases as one, "-t:600" as "-t:".
std::string RepeatKey(const std::string& lower) {
    if (lower == "--quiet") return "-q";
    if (lower == "--passive") return "-m";
    if (lower.size() >= 3 && lower[2] == ':') return lower.substr(0, 3);
    return lower;
}

class FleetArgumentReader {
public:
    FleetArgumentReader(const std::vector<std::string>& args, FleetOptions& out, std::string& error)
        : m_args(args), m_out(out), m_error(error) {}

    bool Read() {
        for (m_i = 0; m_i < m_args.size(); ++m_i) {
            if (!ReadOne()) return false;
        }
        m_out.given = m_seen;
        if (m_out.inventoryPath.empty()) return Fail("a fleet run needs --fleet FILE");
        if (!m_out.resumePath.empty() && m_out.check)
            return Fail("--resume goes on with an update fleet; a check has nothing to resume");
        if (!ReportPlaceUsable()) return false;
        return FleetSystemArguments::CheckCommon(m_out.commonOptions, m_error);
    }

private:
    // The fleet report never replaces the inventory or the password file it was read from,
    // and goes only to a plain file in a folder that takes it.
    bool ReportPlaceUsable() {
        const std::string& report = m_out.reportPath;
        if (report.empty() || report == "-") return true;
        if (platform::OutputPlace::Same(report, m_out.inventoryPath))
            return Fail("--report names the inventory file " + report);
        if (!m_out.passwordFile.empty() && platform::OutputPlace::Same(report, m_out.passwordFile))
            return Fail("--report names the password file " + report);
        // The earlier report stays as it is: a later resume may need it.
        if (!m_out.resumePath.empty() && platform::OutputPlace::Same(report, m_out.resumePath))
            return Fail("--report names the report given to --resume " + report);
        std::string why;
        if (!platform::OutputPlace::Usable(report, why)) return Fail("--report: " + why);
        return true;
    }

    bool Fail(std::string why) {
        m_error = std::move(why);
        return false;
    }

    bool ReadOne() {
        const std::string& arg = m_args[m_i];
        // A word that is not an option is never named back: it may be a password.
        if (arg.empty() || arg[0] != '-')
            return Fail("argument " + std::to_string(m_i + 1) +
                        " is not an option; a fleet run takes its systems' addresses from the "
                        "--fleet file");
        const std::string lower = text::Lower(arg);
        const std::string refusal =
            FleetSystemArguments::Refusal(arg, FleetSystemArguments::Origin::kCommandLine);
        if (!refusal.empty()) return Fail(refusal);
        const std::string key = RepeatKey(lower.substr(0, lower.find('=')));
        if (!m_seen.insert(key.rfind("-j", 0) == 0 ? "-j" : key).second)
            return Fail("option " + Shown(arg) + " is given twice");
        if (lower == "--force" || lower == "--check" || lower == "--verify" || lower == "-q" ||
            lower == "--quiet")
            return Flag(lower);
        if (Names(lower, "--in-call")) return Policy();
        if (Names(lower, "--window")) return Window();
        for (const TextOption& option : kTextOptions) {
            if (Names(lower, option.name)) return Text(option);
        }
        for (const NumberOption& option : kNumberOptions) {
            if (Names(lower, option.name) || (option.name == "-j" && lower.rfind("-j", 0) == 0))
                return Number(option);
        }
        m_out.commonOptions.push_back(arg);  // a per-system flag; checked once all are read
        return true;
    }

    bool Policy() {
        std::string value;
        if (!Value("--in-call", value)) return false;
        if (RunModeOptions::ParseCallPolicy(value, m_out.inCall)) return true;
        return Fail("option \"--in-call\" needs skip, wait or break");
    }

    bool Window() {
        std::string value;
        if (!Value("--window", value)) return false;
        return MaintenanceWindow::Parse(value, m_out.window, m_error);
    }

    bool Flag(const std::string& lower) {
        if (lower == "--force") m_out.force = true;
        if (lower == "--check") m_out.check = true;
        // --verify is always on, -q always so for each system: both are accepted and change
        // nothing.
        return true;
    }

    // The value after "=" (or, for -j, right after the letter) or the next argument.
    bool Value(std::string_view name, std::string& value) {
        const std::string& arg = m_args[m_i];
        if (arg.size() > name.size()) {
            value = arg.substr(name.size() + (arg[name.size()] == '=' ? 1 : 0));
            return true;
        }
        if (m_i + 1 < m_args.size()) {
            value = m_args[++m_i];
            return true;
        }
        return Fail("option \"" + std::string(name) + "\" needs a value");
    }

    bool Text(const TextOption& option) {
        std::string value;
        if (!Value(option.name, value)) return false;
        // "-x" is far likelier a forgotten value than a file of that name.
        const bool stdoutReport = option.name == "--report" && value == "-";
        if (value.empty() || (value[0] == '-' && !stdoutReport))
            return Fail("option \"" + std::string(option.name) + "\" needs a " +
                        (option.name == "--log-dir" ? "folder" : "file") + " name" +
                        (option.name == "--report" ? ", or - for standard output" : ""));
        m_out.*option.member = value;
        return true;
    }

    bool Number(const NumberOption& option) {
        std::string value;
        if (!Value(option.name, value)) return false;
        if (ParseNumber(value, option.low, option.high, m_out.*option.member)) return true;
        return Fail("option \"" + std::string(option.name) + "\" needs a number of " +
                    std::string(option.unit) + " from " + std::to_string(option.low) + " to " +
                    std::to_string(option.high));
    }

    const std::vector<std::string>& m_args;
    FleetOptions& m_out;
    std::string& m_error;
    std::size_t m_i = 0;
    std::set<std::string> m_seen;
};

}  // namespace

bool IsFleetCommandLine(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(),
                       [](const std::string& arg) { return Names(text::Lower(arg), "--fleet"); });
}

bool ParseFleetCommandLine(const std::vector<std::string>& args, FleetOptions& out,
                           std::string& error) {
    out = FleetOptions{};
    return FleetArgumentReader(args, out, error).Read();
}

}  // namespace quillmarch::fleet
