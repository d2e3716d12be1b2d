// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillmarch {

class RunContext;

// Reads the process arguments into the job record: an address, "-p:" password, "-q"/"--quiet",
// "-s", "-m"/"--passive", "-i", "-ks", "-fa", "-fs", "-fp", "-f:" log path, "-t:" time-out.
// Each argument is taken whole, as the operating system delivered it, so a password may hold
// blanks and quotes and can never spill into the address.
class CommandLine {
public:
    // Longer values are refused rather than cut: a cut password or address would be a different
    // one. No honest system address or password comes near these.
    static constexpr std::size_t kMaxPassword = 1024;
    static constexpr std::size_t kMaxAddress = 300;
    static constexpr int kMaxTimeoutSeconds = 999999;
    // The longest log file name (bytes), within what every common file system takes.
    static constexpr std::size_t kMaxLogName = 255;

    // Fills the job record from the arguments after the program's name and derives the log
    // name; opens nothing. False for a bad command line, with `error` saying which argument and
    // why, in words for the operator (a password is never repeated there).
    static bool Parse(RunContext& app, const std::vector<std::string>& args, std::string& error);
    // An address an operator may give: "host", "host:port", "[v6]:port" or a bare IPv6 address
    // (with a zone, "fe80::1%eth0").
    static bool IsAddress(const std::string& text);
    // The arguments as the log's "Command Line: " record shows them: password values masked,
    // arguments holding blanks quoted.
    static std::string MaskedText(const std::vector<std::string>& args);
    // The log's file name for an address: its local name and ".log"; names that would pass
    // kMaxLogName bytes keep their start and a checksum of the whole ("~1a2b3c4d").
    static std::string LogName(const std::string& address);
    // The option dump record.
    static std::string OptionDump(const RunContext& app);
    // argv without the program's name.
    static std::vector<std::string> Arguments(int argc, char** argv);
};

}  // namespace quillmarch
