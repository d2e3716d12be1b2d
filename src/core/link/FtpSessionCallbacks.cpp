// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The libcurl callbacks of the FTP component: the protocol trail, sockets, progress and the data
// that flows. Kept apart from the session logic so that each file reads on its own.
#include <algorithm>
#include <cstring>

#include "core/link/FtpHelpers.h"
#include "core/link/FtpSession.h"
#include "core/link/PeerAddress.h"
#include "core/platform/Platform.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace quillmarch {

using ftp::EqualsNoCase;

namespace {

constexpr std::size_t kMaxListingLine = std::size_t{64} * 1024;

int PortOf(const curl_sockaddr* address) {
    if (address->family == AF_INET) {
        sockaddr_in in{};
        std::memcpy(&in, &address->addr, sizeof in);
        return ntohs(in.sin_port);
    }
    if (address->family == AF_INET6) {
        sockaddr_in6 in6{};
        std::memcpy(&in6, &address->addr, sizeof in6);
        return ntohs(in6.sin6_port);
    }
    return -1;
}

}  // namespace

// --- libcurl callbacks -----------------------------------------------------------------------

int FtpSession::OnDebug(CURL*, curl_infotype type, char* data, std::size_t size, void* self) {
    auto* component = static_cast<FtpSession*>(self);
    switch (type) {
        case CURLINFO_HEADER_OUT:
            component->TraceLines(0, data, size);
            break;
        case CURLINFO_HEADER_IN:
            component->TraceLines(1, data, size);
            break;
        case CURLINFO_TEXT:
            component->TraceLines(2, data, size);
            break;
        default:
            break;
    }
    return 0;
}

void FtpSession::TraceLines(int direction, const char* data, std::size_t size) {
    std::string& pending = m_partialLine[direction];
    pending.append(data, size);
    std::size_t newline;
    while ((newline = pending.find('\n')) != std::string::npos) {
        std::string line = pending.substr(0, newline);
        pending.erase(0, newline + 1);
        TraceLine(direction, std::move(line));
    }
}

void FtpSession::FlushTrail() {
    for (int direction = 0; direction < 3; ++direction) {
        std::string rest = std::move(m_partialLine[direction]);
        m_partialLine[direction].clear();
        if (!rest.empty()) TraceLine(direction, std::move(rest));
    }
}

void FtpSession::TraceLine(int direction, std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.empty()) return;
    if (direction == 0 && line.size() >= 4 && EqualsNoCase(line.substr(0, 4), "PASS"))
        line = "PASS ****";
    if (direction == 1 && ftp::IsFinalReplyLine(line)) m_lastReply = line;
    FirePITrail(direction, line);
}

curl_socket_t FtpSession::OnOpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address) {
    auto* component = static_cast<FtpSession*>(self);
    // Outside Logon a new connection to the control port is a silent re-logon: refused.
    if (purpose == CURLSOCKTYPE_IPCXN && !component->m_inLogon &&
        PortOf(address) == component->ControlPort()) {
        component->m_refusedReconnect = true;
        return CURL_SOCKET_BAD;
    }
    return socket(address->family, address->socktype, address->protocol);
}

int FtpSession::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* component = static_cast<FtpSession*>(self);
    if (component->m_cancelHook && component->m_cancelHook()) component->m_stop = true;
    return component->m_stop ? 1 : 0;
}

int FtpSession::OnSocketOption(void* self, curl_socket_t socket, curlsocktype purpose) {
    if (purpose != CURLSOCKTYPE_ACCEPT) return CURL_SOCKOPT_OK;
    // Active mode: anyone who reaches the listening port first would get (or give) the data.
    // Only the host the control connection talks to may.
    auto* component = static_cast<FtpSession*>(self);
    const char* control = nullptr;
    if (curl_easy_getinfo(component->m_curl.get(), CURLINFO_PRIMARY_IP, &control) != CURLE_OK ||
        control == nullptr)
        control = "";
    const std::string from = peer::SocketPeer(socket);
    if (peer::SameHost(from, control)) return CURL_SOCKOPT_OK;
    const std::string notice = "FTP: data connection from " + (from.empty() ? "?" : from) +
                               " refused: the system is at " + (*control ? control : "?");
    component->FirePITrail(2, notice);
    if (component->m_noticeHook) component->m_noticeHook(notice);
    return CURL_SOCKOPT_ERROR;
}

std::size_t FtpSession::OnWrite(char* data, std::size_t size, std::size_t count, void* self) {
    auto* component = static_cast<FtpSession*>(self);
    const std::size_t length = size * count;
    if (component->m_stop) return 0;
    if (component->m_operation == Operation::kList) {
        component->m_listingText.append(data, length);
        component->DeliverListing(false);
        return length;
    }
    component->StartTransferOnce();
    if (!component->WriteChunk(data, length)) return 0;
    component->m_bytes += static_cast<std::int64_t>(length);
    component->FireTransfer(component->m_bytes, data, length);
    // A handler that stopped the transfer (a full disk, a file too large) takes no more data.
    return component->m_stop ? 0 : length;
}

std::size_t FtpSession::OnRead(char* data, std::size_t size, std::size_t count, void* self) {
    auto* component = static_cast<FtpSession*>(self);
    if (component->m_stop) return CURL_READFUNC_ABORT;
    std::size_t length = 0;
    if (component->m_uploadFromMemory) {
        length = component->CopyUploadData(data, size * count);
    } else {
        std::ifstream& file = component->m_inFile;
        file.read(data, static_cast<std::streamsize>(size * count));
        length = static_cast<std::size_t>(file.gcount());
        if (length == 0 && file.bad()) return CURL_READFUNC_ABORT;
    }
    if (length == 0) return 0;
    component->StartTransferOnce();
    component->m_bytes += static_cast<std::int64_t>(length);
    component->FireTransfer(component->m_bytes, data, length);
    return length;
}

std::size_t FtpSession::CopyUploadData(char* buffer, std::size_t room) const {
    const auto sent = static_cast<std::size_t>(m_bytes);
    const std::size_t length = std::min(room, m_uploadDataSize - std::min(sent, m_uploadDataSize));
    if (length > 0) std::memcpy(buffer, m_uploadData + sent, length);
    return length;
}

bool FtpSession::WriteChunk(const char* data, std::size_t length) {
    if (m_localFile.empty()) return true;
    if (!m_outFileOpen) {
        m_outFile.clear();
        m_outFile.open(platform::PathFromUtf8(m_localFile), std::ios::binary | std::ios::trunc);
        m_outFileOpen = m_outFile.is_open();
        if (!m_outFileOpen) return false;
    }
    if (length > 0) m_outFile.write(data, static_cast<std::streamsize>(length));
    return m_outFile.good();
}

void FtpSession::StartTransferOnce() {
    if (m_started) return;
    m_started = true;
    FireStartTransfer();
}

void FtpSession::EndTransfer(bool success) {
    if (success) StartTransferOnce();  // an empty file still had a transfer
    if (m_started) FireEndTransfer();
    m_started = false;
}

void FtpSession::DeliverListing(bool flushAll) {
    std::size_t from = 0;
    std::size_t newline;
    while ((newline = m_listingText.find('\n', from)) != std::string::npos) {
        std::string line = m_listingText.substr(from, newline - from);
        from = newline + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (const std::string name = ftp::ListingName(line); !name.empty()) FireDirList(line, name);
    }
    m_listingText.erase(0, from);
    // A line without end is taken as it stands at the end, or once it grows absurdly long.
    if ((flushAll || m_listingText.size() > kMaxListingLine) && !m_listingText.empty()) {
        std::string line = std::move(m_listingText);
        m_listingText.clear();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (const std::string name = ftp::ListingName(line); !name.empty()) FireDirList(line, name);
    }
}

}  // namespace quillmarch
