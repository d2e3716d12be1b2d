// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The arguments an operator or a script passes (NUL-separated in the input, as argv holds them).
#include "core/job/CommandLine.h"
#include "core/job/RunContext.h"
#include "core/ui/ConsoleMessageBox.h"
#include "core/util/RealClock.h"
#include "tests/fuzz/FuzzInput.h"

using namespace quillmarch;

namespace {

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> args;
    std::string::size_type from = 0;
    for (auto nul = text.find('\0'); nul != std::string::npos; nul = text.find('\0', from)) {
        args.push_back(text.substr(from, nul - from));
        from = nul + 1;
    }
    args.push_back(text.substr(from));
    return args;
}

// The same arguments with every password replaced by one of the same length.
std::vector<std::string> WithOtherPasswords(std::vector<std::string> args) {
    for (auto& arg : args) {
        if (arg.size() > 3 && (arg.rfind("-p:", 0) == 0 || arg.rfind("-P:", 0) == 0))
            arg = arg.substr(0, 3) + std::string(arg.size() - 3, 'x');
    }
    return args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static RealClock clock;
    static ConsoleMessageBox messageBox;
    const std::vector<std::string> args = Split(fuzz::Text(data, size));
    RunContext app(clock, messageBox);
    std::string error;
    const bool parsed = CommandLine::Parse(app, args, error);
    // Nothing shown of a command line may depend on what the password is.
    const std::vector<std::string> other = WithOtherPasswords(args);
    RunContext otherApp(clock, messageBox);
    std::string otherError;
    fuzz::Require(CommandLine::Parse(otherApp, other, otherError) == parsed);
    fuzz::Require(error == otherError);
    fuzz::Require(CommandLine::MaskedText(args) == CommandLine::MaskedText(other));
    if (parsed) {
        fuzz::Require(app.Job().target.password.size() <= CommandLine::kMaxPassword);
        fuzz::Require(app.Job().target.address.empty() ||
                      CommandLine::IsAddress(app.Job().target.address));
        fuzz::Require(CommandLine::OptionDump(app) == CommandLine::OptionDump(otherApp));
    } else {
        fuzz::Require(!error.empty());
    }
    return 0;
}
