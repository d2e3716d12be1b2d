// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/job/RunModeOptions.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "core/job/RunContext.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

// Marks in `seen` for "given already"; upper case, so they never meet the letters of -p: -f: -t:.
constexpr char kCheck = 'C';
constexpr char kVerify = 'V';
constexpr char kTimeout = 'W';
constexpr char kReport = 'R';
constexpr char kNoVerify = 'N';
constexpr char kPasswordFile = 'P';
constexpr char kInCall = 'K';
constexpr char kInCallTimeout = 'L';

// --no-verify against --verify or --verify-timeout: whichever comes second is refused.
bool Agrees(const std::string& seen, bool noVerify, std::string& error) {
    const char verifying[] = {kVerify, kTimeout, '\0'};
    const bool clash = noVerify ? seen.find_first_of(verifying) != std::string::npos
                                : seen.find(kNoVerify) != std::string::npos;
    if (clash)
        error =
            "option \"--no-verify\" cannot be given with \"--verify\" or "
            "\"--verify-timeout\"";
    return !clash;
}

bool Once(std::string& seen, char mark, const std::string& name, std::string& error) {
    if (seen.find(mark) != std::string::npos) {
        error = "option \"" + name + "\" is given twice";
        return false;
    }
    seen += mark;
    return true;
}

// The value after "=" in the same argument, or the next argument.
bool Value(const std::vector<std::string>& args, std::size_t& i, std::size_t nameLength,
           const std::string& name, std::string& value, std::string& error) {
    const std::string& arg = args[i];
    if (arg.size() > nameLength) {
        value = arg.substr(nameLength + 1);
    } else if (i + 1 < args.size()) {
        value = args[++i];
    } else {
        error = "option \"" + name + "\" needs a value";
        return false;
    }
    return true;
}

bool ParseTimeout(const std::string& text, int& seconds) {
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    seconds = std::stoi(text);
    return seconds >= 1 && seconds <= RunModeOptions::kMaxVerifySeconds;
}

// True when `lower` is `name` or `name=...`.
bool Names(const std::string& lower, std::string_view name) {
    return lower.rfind(name, 0) == 0 && (lower.size() == name.size() || lower[name.size()] == '=');
}

RunModeOptions::Taken TakeTimeout(RunContext& app, const std::vector<std::string>& args,
                                  std::size_t& i, std::string& seen, std::string& error) {
    const std::string name = "--verify-timeout";
    std::string value;
    if (!Agrees(seen, false, error) || !Once(seen, kTimeout, name, error) ||
        !Value(args, i, name.size(), name, value, error))
        return RunModeOptions::Taken::kRefused;
    if (!ParseTimeout(value, app.Job().options.verifyTimeoutSeconds)) {
        error = "option \"" + name + "\" needs a number of seconds from 1 to " +
                std::to_string(RunModeOptions::kMaxVerifySeconds);
        return RunModeOptions::Taken::kRefused;
    }
    app.Job().options.verify = true;
    return RunModeOptions::Taken::kTaken;
}

RunModeOptions::Taken TakeReport(RunContext& app, const std::vector<std::string>& args,
                                 std::size_t& i, std::string& seen, std::string& error) {
    const std::string name = "--report";
    std::string value;
    if (!Once(seen, kReport, name, error) || !Value(args, i, name.size(), name, value, error))
        return RunModeOptions::Taken::kRefused;
    // "-x" is far likelier a forgotten file name than a file of that name.
    if (value.empty() || (value[0] == '-' && value != "-")) {
        error = "option \"" + name + "\" needs a file name, or - for standard output";
        return RunModeOptions::Taken::kRefused;
    }
    app.Job().options.reportPath = value;
    return RunModeOptions::Taken::kTaken;
}

// --password-file FILE: the password stays off the command line, where others could read it.
RunModeOptions::Taken TakePasswordFile(RunContext& app, const std::vector<std::string>& args,
                                       std::size_t& i, std::string& seen, std::string& error) {
    const std::string name = "--password-file";
    std::string value;
    if (!Once(seen, kPasswordFile, name, error) || !Value(args, i, name.size(), name, value, error))
        return RunModeOptions::Taken::kRefused;
    if (value.empty() || value[0] == '-') {
        error = "option \"" + name + "\" needs a file name";
        return RunModeOptions::Taken::kRefused;
    }
    app.Job().options.passwordFile = value;
    return RunModeOptions::Taken::kTaken;
}

RunModeOptions::Taken TakeInCall(RunContext& app, const std::vector<std::string>& args,
                                 std::size_t& i, std::string& seen, std::string& error) {
    const std::string name = "--in-call";
    std::string value;
    if (!Once(seen, kInCall, name, error) || !Value(args, i, name.size(), name, value, error))
        return RunModeOptions::Taken::kRefused;
    if (!RunModeOptions::ParseCallPolicy(value, app.Job().options.inCall)) {
        error = "option \"" + name + "\" needs skip, wait or break";
        return RunModeOptions::Taken::kRefused;
    }
    return RunModeOptions::Taken::kTaken;
}

RunModeOptions::Taken TakeInCallTimeout(RunContext& app, const std::vector<std::string>& args,
                                        std::size_t& i, std::string& seen, std::string& error) {
    const std::string name = "--in-call-timeout";
    std::string value;
    if (!Once(seen, kInCallTimeout, name, error) ||
        !Value(args, i, name.size(), name, value, error))
        return RunModeOptions::Taken::kRefused;
    if (!ParseTimeout(value, app.Job().options.inCallTimeoutSeconds)) {
        error = "option \"" + name + "\" needs a number of seconds from 1 to " +
                std::to_string(RunModeOptions::kMaxInCallSeconds);
        return RunModeOptions::Taken::kRefused;
    }
    return RunModeOptions::Taken::kTaken;
}

}  // namespace

bool RunModeOptions::ParseCallPolicy(const std::string& word, CallPolicy& out) {
    const std::string lower = text::Lower(word);
    if (lower == "skip")
        out = CallPolicy::kSkip;
    else if (lower == "wait")
        out = CallPolicy::kWait;
    else if (lower == "break")
        out = CallPolicy::kBreak;
    else
        return false;
    return true;
}

const char* RunModeOptions::CallPolicyName(CallPolicy policy) {
    switch (policy) {
        case CallPolicy::kSkip:
            return "skip";
        case CallPolicy::kWait:
            return "wait";
        case CallPolicy::kBreak:
            break;
    }
    return "break";
}

RunModeOptions::Taken RunModeOptions::Take(RunContext& app, const std::vector<std::string>& args,
                                           std::size_t& i, std::string& seen, std::string& error) {
    const std::string lower = text::Lower(args[i]);
    if (lower == "--check") {
        if (!Once(seen, kCheck, "--check", error)) return Taken::kRefused;
        app.Job().options.checkOnly = true;
        return Taken::kTaken;
    }
    if (lower == "--verify" || lower == "--no-verify") {
        const bool no = lower == "--no-verify";
        if (!Agrees(seen, no, error) || !Once(seen, no ? kNoVerify : kVerify, lower, error))
            return Taken::kRefused;
        app.Job().options.verify = !no;
        return Taken::kTaken;
    }
    if (Names(lower, "--verify-timeout")) return TakeTimeout(app, args, i, seen, error);
    if (Names(lower, "--report")) return TakeReport(app, args, i, seen, error);
    if (Names(lower, "--password-file")) return TakePasswordFile(app, args, i, seen, error);
    if (Names(lower, "--in-call-timeout")) return TakeInCallTimeout(app, args, i, seen, error);
    if (Names(lower, "--in-call")) return TakeInCall(app, args, i, seen, error);
    return Taken::kNotMine;
}

}  // namespace quillmarch
