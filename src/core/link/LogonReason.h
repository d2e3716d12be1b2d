#pragma once

#include <string>

namespace quillmarch {

// Why a logon failed, in plain words for an operator, from the FTP component's code (ftpcode).
// Empty for success.
std::string LogonFailureReason(int code);

}  // namespace quillmarch
