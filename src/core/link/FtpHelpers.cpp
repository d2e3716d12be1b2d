// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/link/FtpHelpers.h"

#include <algorithm>
#include <cctype>

#include "core/link/FtpSession.h"

namespace quillmarch::ftp {

namespace {

std::string_view SkipField(std::string_view rest) {
    const auto start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    const auto end = rest.find_first_of(" \t", start);
    return end == std::string_view::npos ? std::string_view{} : rest.substr(end);
}

}  // namespace

bool HasLineBreak(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool ValidHost(const std::string& host) {
    if (host.empty()) return false;
    return std::all_of(host.begin(), host.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '.' || c == '-' || c == '_' || c == ':' || c == '%';
    });
}

bool IsFinalReplyLine(const std::string& line) {
    if (line.size() < 3) return false;
    for (int i = 0; i < 3; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    }
    return line.size() == 3 || line[3] == ' ';
}

std::string ListingName(const std::string& line) {
    std::string_view rest = line;
    while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n')) rest.remove_suffix(1);
    const std::string_view whole = rest;
    for (int field = 0; field < 8 && !rest.empty(); ++field) rest = SkipField(rest);
    const auto start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    std::string name(rest.substr(start));
    if (!whole.empty() && whole.front() == 'l') {
        const auto arrow = name.find(" -> ");
        if (arrow != std::string::npos) name.erase(arrow);
    }
    return name;
}

bool ParseFlag(const std::string& value, bool& flag) {
    if (EqualsNoCase(value, "true") || value == "1") {
        flag = true;
    } else if (EqualsNoCase(value, "false") || value == "0") {
        flag = false;
    } else {
        return false;
    }
    return true;
}

bool ParseNumber(const std::string& value, long minimum, long& number) {
    if (value.empty() || value.size() > 9) return false;
    if (!std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    const long parsed = std::stol(value);
    if (parsed < minimum) return false;
    number = parsed;
    return true;
}

int MapCurlResult(CURLcode result, bool atLogon, bool stopped) {
    switch (result) {
        case CURLE_OK:
            return ftpcode::kOk;
        case CURLE_LOGIN_DENIED:
            return ftpcode::kLogonRefused;
        // At logon this is the control connection; later it can only be a data connection.
        case CURLE_COULDNT_CONNECT:
            return atLogon ? ftpcode::kConnectionRefused : ftpcode::kTransferFailed;
        case CURLE_COULDNT_RESOLVE_HOST:
            return ftpcode::kHostNotFound;
        case CURLE_OPERATION_TIMEDOUT:
            return ftpcode::kTimeout;
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_GOT_NOTHING:
            return ftpcode::kConnectionLost;
        case CURLE_REMOTE_FILE_NOT_FOUND:
            return ftpcode::kRemoteFileNotFound;
        case CURLE_QUOTE_ERROR:
            return ftpcode::kServerRefused;
        case CURLE_UPLOAD_FAILED:
        case CURLE_FTP_COULDNT_RETR_FILE:
        case CURLE_FTP_ACCEPT_FAILED:
        case CURLE_FTP_ACCEPT_TIMEOUT:
        case CURLE_FTP_PORT_FAILED:
        case CURLE_FTP_CANT_GET_HOST:
        case CURLE_FTP_WEIRD_PASV_REPLY:
        case CURLE_FTP_WEIRD_227_FORMAT:
        case CURLE_FTP_COULDNT_SET_TYPE:
        case CURLE_PARTIAL_FILE:
            return ftpcode::kTransferFailed;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_ENGINE_NOTFOUND:
        case CURLE_SSL_ENGINE_SETFAILED:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_USE_SSL_FAILED:
        case CURLE_SSL_SHUTDOWN_FAILED:
            return ftpcode::kTlsFailure;
        case CURLE_ABORTED_BY_CALLBACK:
            return ftpcode::kInterrupted;
        case CURLE_WRITE_ERROR:
        case CURLE_READ_ERROR:
            return stopped ? ftpcode::kInterrupted : ftpcode::kLocalFileError;
        case CURLE_URL_MALFORMAT:
            return ftpcode::kInvalidArgument;
        default:
            return ftpcode::kProtocolError;
    }
}

}  // namespace quillmarch::ftp
