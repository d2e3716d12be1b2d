// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <curl/curl.h>

#include <string>
#include <string_view>

#include "core/util/TextUtil.h"

// Text and code helpers of the FTP component (FtpSession): pure functions, no session.
namespace quillmarch::ftp {

[[nodiscard]] bool HasLineBreak(std::string_view text);
// Host names and address literals only: nothing that could change the URL built around it.
[[nodiscard]] bool ValidHost(const std::string& host);
using text::EqualsNoCase;
using text::Trim;
// The last line of a reply: three digits followed by a space or nothing.
[[nodiscard]] bool IsFinalReplyLine(const std::string& line);

// The file name in one line of a long listing: the text after the eight leading fields,
// without a symbolic link's " -> target". Empty for lines that name no entry ("total 12").
std::string ListingName(const std::string& line);

// "true"/"false"/"1"/"0" (any case) into `flag`; false leaves it unchanged.
[[nodiscard]] bool ParseFlag(const std::string& value, bool& flag);
// Decimal digits only, at least `minimum`; false leaves `number` unchanged.
[[nodiscard]] bool ParseNumber(const std::string& value, long minimum, long& number);

// A libcurl result as a component code (ftpcode). `atLogon`: the perform was the logon;
// `stopped`: Interrupt or Abort was called during it.
[[nodiscard]] int MapCurlResult(CURLcode result, bool atLogon, bool stopped);

}  // namespace quillmarch::ftp
