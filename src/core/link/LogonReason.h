// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch {

// Why a logon failed, in plain words for an operator, from the FTP component's code (ftpcode).
// Empty for success.
std::string LogonFailureReason(int code);

// The same, refined by the last reply the server gave before the logon failed: a 530 that asks
// for encryption is no wrong password, and a server that took the logon and then fell silent
// did answer. Empty for success.
std::string LogonFailureReason(int code, const std::string& lastReply);

// The reasons given when the system did answer, though the logon failed: an operator's fix,
// not an unreachable address.
inline constexpr const char* kEncryptionDemanded =
    "The system demands an encrypted (TLS) connection; it did not judge the password";
inline constexpr const char* kSilentAfterLogon =
    "The system took the logon, then answered nothing more";
inline constexpr const char* kPasswordLineBreak =
    "The password contains a line break, which no system takes; nothing was sent";

}  // namespace quillmarch
