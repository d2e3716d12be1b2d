// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/link/PeerAddress.h"

#include <array>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace quillmarch::peer {

namespace {

// The address's bytes: 4 for IPv4 (also for an IPv4-mapped IPv6 address), 16 for IPv6.
std::vector<unsigned char> Bytes(const std::string& text) {
    const std::string address = text.substr(0, text.find('%'));
    std::array<unsigned char, 16> raw{};
    if (address.find(':') == std::string::npos) {
        if (inet_pton(AF_INET, address.c_str(), raw.data()) != 1) return {};
        return {raw.begin(), raw.begin() + 4};
    }
    if (inet_pton(AF_INET6, address.c_str(), raw.data()) != 1) return {};
    static constexpr unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::memcmp(raw.data(), kMapped, sizeof(kMapped)) == 0)
        return {raw.begin() + 12, raw.end()};
    return {raw.begin(), raw.end()};
}

}  // namespace

std::string SocketPeer(curl_socket_t socket) {
    sockaddr_storage address{};
    socklen_t length = sizeof(address);
    if (getpeername(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
    char host[NI_MAXHOST] = {};
    if (getnameinfo(reinterpret_cast<sockaddr*>(&address), length, host, sizeof(host), nullptr, 0,
                    NI_NUMERICHOST) != 0)
        return {};
    return host;
}

bool SameHost(const std::string& a, const std::string& b) {
    const auto left = Bytes(a);
    return !left.empty() && left == Bytes(b);
}

}  // namespace quillmarch::peer
