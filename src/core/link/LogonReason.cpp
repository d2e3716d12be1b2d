#include "core/link/LogonReason.h"

#include "core/link/FtpSession.h"

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

}  // namespace quillmarch
