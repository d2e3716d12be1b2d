// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/job/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "core/job/PackOptions.h"
#include "core/job/RunContext.h"
#include "core/job/RunModeOptions.h"
#include "core/platform/Platform.h"
#include "core/util/AddressNames.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

struct FlagSpec {
    std::string_view name;       // lower case; the operator may write any case
    bool& (*field)(UpdateJob&);  // the switch it sets
    bool value;
    char mark;  // in `seen` once given; aliases share one, digits never meet other marks
};

constexpr FlagSpec kFlags[] = {
    {"-q", [](UpdateJob& j) -> bool& { return j.options.quiet; }, true, '0'},
    {"--quiet", [](UpdateJob& j) -> bool& { return j.options.quiet; }, true, '0'},
    {"-s", [](UpdateJob& j) -> bool& { return j.tasks.uploadImage; }, false, '1'},
    {"-m", [](UpdateJob& j) -> bool& { return j.target.passiveMode; }, true, '2'},
    {"--passive", [](UpdateJob& j) -> bool& { return j.target.passiveMode; }, true, '2'},
    {"-i", [](UpdateJob& j) -> bool& { return j.tasks.isdnUpdate; }, true, '3'},
    {"-ks", [](UpdateJob& j) -> bool& { return j.tasks.updateSoftware; }, false, '4'},
    {"-fa", [](UpdateJob& j) -> bool& { return j.retain.directory; }, false, '5'},
    {"-fs", [](UpdateJob& j) -> bool& { return j.retain.systemSettings; }, false, '6'},
    {"-fp", [](UpdateJob& j) -> bool& { return j.retain.sampleSites; }, false, '7'},
};

bool IsPasswordArgument(const std::string& arg) {
    return arg.size() >= 2 && arg[0] == '-' && (arg[1] == 'p' || arg[1] == 'P');
}

// How an error names an argument: never a password's text, control characters made visible,
// long texts cut.
std::string Quoted(const std::string& arg) {
    if (IsPasswordArgument(arg)) return "\"" + arg.substr(0, 2) + "...\"";
    return "\"" + text::ForLog(arg, 64) + "\"";
}

bool ParseSeconds(const std::string& text, int& seconds) {
    if (text.empty() || text.size() > 6) return false;
    if (!std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    seconds = std::stoi(text);
    return seconds <= CommandLine::kMaxTimeoutSeconds;
}

// "-p:", "-f:" and "-t:" carry a value; each may be given once.
bool ApplyValue(RunContext& app, const std::string& arg, std::string& seen, std::string& error) {
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(arg[1])));
    if (seen.find(letter) != std::string::npos) {
        error = "option " + Quoted(arg) + " is given twice";
        return false;
    }
    seen += letter;
    const std::string value = arg.substr(3);
    if (letter == 'p') {
        if (value.size() > CommandLine::kMaxPassword) {
            error = "the password is longer than " + std::to_string(CommandLine::kMaxPassword) +
                    " characters";
            return false;
        }
        app.Job().target.password = value;
        app.Job().options.passwordOnCommandLine = true;
    } else if (letter == 'f') {
        if (value.empty()) {
            error = "option \"-f:\" needs the name of the log file";
            return false;
        }
        app.m_logPath = value;
    } else if (!ParseSeconds(value, app.Job().options.uploadTimeoutSeconds)) {
        error = "option " + Quoted(arg) + " needs a number of seconds from 0 to " +
                std::to_string(CommandLine::kMaxTimeoutSeconds);
        return false;
    }
    return true;
}

bool ApplyOption(RunContext& app, const std::string& arg, std::string& seen, std::string& error) {
    const std::string lower = text::Lower(arg);
    for (const FlagSpec& flag : kFlags) {
        if (lower == flag.name) {
            if (seen.find(flag.mark) != std::string::npos) {
                error = "option " + Quoted(arg) + " is given twice";
                return false;
            }
            seen += flag.mark;
            flag.field(app.Job()) = flag.value;
            return true;
        }
    }
    if (lower.size() >= 3 && lower[2] == ':' &&
        std::string_view("pft").find(lower[1]) != std::string_view::npos)
        return ApplyValue(app, arg, seen, error);
    // "--password=S3cr3t": the name only, a value after "=" or ":" may be a secret.
    const auto cut = arg.find_first_of("=:");
    error = "unknown option " +
            (cut == std::string::npos ? Quoted(arg) : Quoted(arg.substr(0, cut + 1) + "..."));
    return false;
}

bool IsHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
}

bool IsV6Character(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
}

const char* TrueFalse(bool value) {
    return value ? "TRUE" : "FALSE";
}

}  // namespace

std::string CommandLine::LogName(const std::string& address) {
    std::string name = address::LocalName(address);
    // A file name holds at most 255 bytes: a long DNS name keeps its start and a checksum of
    // the whole, so two long names still get two logs.
    if (name.size() + 4 > kMaxLogName) {
        std::uint32_t hash = 2166136261u;
        for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
        char tail[16];
        std::snprintf(tail, sizeof(tail), "~%08x", static_cast<unsigned>(hash));
        name = name.substr(0, kMaxLogName - 4 - 9) + tail;
    }
    return name + ".log";
}

bool CommandLine::IsAddress(const std::string& text) {
    if (text.empty() || text.size() > kMaxAddress) return false;
    const address::HostPort split = address::SplitHostPort(text);
    if (!split.valid || split.host.empty()) return false;
    const std::string& host = split.host;
    if (host.find(':') == std::string::npos) {
        return std::isalnum(static_cast<unsigned char>(host[0])) &&
               std::all_of(host.begin(), host.end(), IsHostCharacter);
    }
    // IPv6, with an optional zone ("%eth0").
    const auto percent = host.find('%');
    const std::string address = host.substr(0, percent);
    const std::string zone = percent == std::string::npos ? "x" : host.substr(percent + 1);
    return address.size() >= 2 && std::all_of(address.begin(), address.end(), IsV6Character) &&
           !zone.empty() && std::all_of(zone.begin(), zone.end(), IsHostCharacter);
}

bool CommandLine::Parse(RunContext& app, const std::vector<std::string>& args, std::string& error) {
    std::string seen;
    bool haveAddress = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string where = "argument " + std::to_string(i + 1);
        if (arg.empty()) {
            error = where + " is empty";
            return false;
        }
        if (arg[0] == '-') {
            auto taken = RunModeOptions::Take(app, args, i, seen, error);
            if (taken == RunModeOptions::Taken::kNotMine)
                taken = PackOptions::Take(app, args, i, seen, error);  // image pack options
            if (taken == RunModeOptions::Taken::kRefused) return false;
            if (taken == RunModeOptions::Taken::kNotMine && !ApplyOption(app, arg, seen, error))
                return false;
            continue;
        }
        // Neither address is named back: a forgotten "-p:" would show the password.
        if (haveAddress) {
            error = where + " is a second address; one run updates one system";
            return false;
        }
        if (!IsAddress(arg)) {
            error = where + " is neither an option nor an address";
            return false;
        }
        app.Job().target.address = arg;
        haveAddress = true;
    }
    app.Job().options.commandLine = MaskedText(args);
    if (app.m_logPath.empty() && haveAddress) app.m_logPath = LogName(app.Job().target.address);
    return true;
}

std::string CommandLine::MaskedText(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& arg : args) {
        std::string shown = arg;
        if (IsPasswordArgument(arg) && arg.size() > 3) shown = arg.substr(0, 3) + "****";
        if (shown.find_first_of(" \t") != std::string::npos) shown = "\"" + shown + "\"";
        text += (text.empty() ? "" : " ") + shown;
    }
    return text;
}

std::string CommandLine::OptionDump(const RunContext& app) {
    std::string systemType;
    if (app.Job().target.systemType >= 0 &&
        app.Job().target.systemType < ModelCatalogue::kRowCount &&
        app.Catalogue().GetSize() == ModelCatalogue::kRowCount) {
        systemType = app.Catalogue().GetAt(app.Job().target.systemType).DisplayName().substr(0, 63);
    }
    // Long enough for an address of any length the command line can carry.
    std::string buffer(app.Job().target.address.size() + systemType.size() + 512, '\0');
    const int n = std::snprintf(
        buffer.data(), buffer.size(),
        "Quillmarch\r\n\tAddress          = %s\r\n\tPW Length        = %d\r\n\tUpdateImage      = "
        "%s\r\n\tDeleteAddresBook = %s\r\n\tDeleteSystemFiles= %s\r\n\tQuiteMode        = "
        "%s\r\n\tISDN Update\t\t= %s\r\n\tSystem Type      = %s\r\n",
        app.Job().target.address.c_str(), static_cast<int>(app.Job().target.password.size()),
        TrueFalse(app.Job().tasks.uploadImage), TrueFalse(app.Job().retain.directory),
        TrueFalse(app.Job().retain.systemSettings), TrueFalse(app.Job().options.quiet),
        TrueFalse(app.Job().tasks.isdnUpdate), systemType.c_str());
    buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return buffer;
}

std::vector<std::string> CommandLine::Arguments(int argc, char** argv) {
    if (argc <= 1 || argv == nullptr) return {};
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace quillmarch
