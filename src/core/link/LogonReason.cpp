// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/link/LogonReason.h"

#include "core/link/FtpSession.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

std::string LogonFailureReason(int code) {
    switch (code) {
        case ftpcode::kOk:
            return {};
        case ftpcode::kLogonRefused:
            return "Wrong password";
        case ftpcode::kConnectionRefused:
            return "Connection refused: nothing listens at that address and port";
        case ftpcode::kHostNotFound:
            return "Name not found: the address does not resolve";
        case ftpcode::kTimeout:
            return "Timed out: the system did not answer in time";
        case ftpcode::kTlsFailure:
            return "TLS failure: the secure connection could not be set up";
        case ftpcode::kConnectionLost:
        case ftpcode::kServerRefused:
        case ftpcode::kNotConnected:
            return "Refused by the system: it closed the connection or turned the logon down";
        case ftpcode::kInterrupted:
            return "Interrupted by the operator";
        case ftpcode::kInvalidArgument:
            return "The address or the password cannot be used";
        default:
            return "The connection failed (code " + std::to_string(code) + ")";
    }
}

std::string LogonFailureReason(int code, const std::string& lastReply) {
    const std::string reply = text::Lower(lastReply);
    if (code == ftpcode::kLogonRefused &&
        (reply.find("encrypt") != std::string::npos || reply.find("tls") != std::string::npos ||
         reply.find("ssl") != std::string::npos))
        return kEncryptionDemanded;
    // 230: the logon was taken; what failed after it was the silence that followed.
    const bool silent = code == ftpcode::kTimeout || code == ftpcode::kConnectionLost;
    if (silent && reply.rfind("230", 0) == 0) return kSilentAfterLogon;
    return LogonFailureReason(code);
}

}  // namespace quillmarch
