// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <string>

namespace quillmarch::fleet {

// Where a fleet's password comes from when an inventory row has none, in this order:
// --password-file FILE (its first line), the environment variable QUILLMARCH_PASSWORD, a prompt
// on the terminal without echo. A password never appears in an error, a log or the console.
class PasswordSource {
public:
    static constexpr const char* kEnvironmentVariable = "QUILLMARCH_PASSWORD";

    // Asks the operator; false with `error` when there is no one to ask.
    using Prompt = std::function<bool(std::string& password, std::string& error)>;

    // False, with `error` naming the file, when a file that holds passwords may be read or
    // written by its group or others (POSIX; Windows has no such mode bits to check).
    static bool CheckPrivate(const std::string& path, std::string& error);
    // The first line of a private file, without its line end; an empty line is the empty
    // password (a system without one), a file without any line is refused.
    static bool ReadFile(const std::string& path, std::string& password, std::string& error);
    // The password by the order above; `prompt` is asked last.
    static bool Resolve(const std::string& passwordFile, const Prompt& prompt,
                        std::string& password, std::string& error);
    // Asks on the terminal with echo off; refused when standard input is not a terminal.
    static bool AskTerminal(std::string& password, std::string& error);
    // Asks `question` on the terminal with echo off (standard input must be one: CanAsk).
    static bool Ask(const std::string& question, bool emptyAllowed, std::string& password,
                    std::string& error);
    static bool CanAsk();
};

}  // namespace quillmarch::fleet
