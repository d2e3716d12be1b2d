// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/platform/SystemKey.h"

#include <algorithm>
#include <vector>

#include "core/util/AddressNames.h"
#include "core/util/TextUtil.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace quillmarch::platform {

namespace {

// An IPv4 address wrapped in IPv6 (::ffff:a.b.c.d) is the IPv4 address.
std::string Text(const sockaddr* address) {
    char buffer[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
        return inet_ntop(AF_INET, &v4->sin_addr, buffer, sizeof(buffer)) ? buffer : "";
    }
    if (address->sa_family != AF_INET6) return {};
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&v6->sin6_addr);
    static const unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::equal(kMapped, kMapped + 12, bytes)) {
        in_addr v4{};
        std::copy(bytes + 12, bytes + 16, reinterpret_cast<unsigned char*>(&v4));
        return inet_ntop(AF_INET, &v4, buffer, sizeof(buffer)) ? buffer : "";
    }
    return inet_ntop(AF_INET6, &v6->sin6_addr, buffer, sizeof(buffer)) ? buffer : "";
}

}  // namespace

// The text a host is read as: leading zeros decimal, as everywhere in this program (never
// octal, as inet_aton has it), and the loopback name as the loopback address.
std::string SystemKey::Numeric(const std::string& host) {
    const std::string lower = text::Lower(host);
    return lower == "localhost" ? std::string("127.0.0.1") : address::Normalise(lower);
}

std::string SystemKey::ResolvedHost(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // Numbers only: a DNS lookup per inventory row or run would make the key slow and depend
    // on the network. The loopback name is the one name every system resolves alike.
    hints.ai_flags = AI_NUMERICHOST;
    const std::string numeric = Numeric(host);
    addrinfo* found = nullptr;
    if (host.empty() || getaddrinfo(numeric.c_str(), nullptr, &hints, &found) != 0 || !found)
        return {};
    // Should a number give several addresses, the key is one of them, the same every time.
    std::vector<std::string> v4;
    std::vector<std::string> v6;
    for (const addrinfo* at = found; at; at = at->ai_next) {
        const std::string text = Text(at->ai_addr);
        if (text.empty()) continue;
        (text.find(':') == std::string::npos ? v4 : v6).push_back(text);
    }
    freeaddrinfo(found);
    std::vector<std::string>& pick = v4.empty() ? v6 : v4;
    if (pick.empty()) return {};
    return *std::min_element(pick.begin(), pick.end());
}

std::string SystemKey::Of(const std::string& address, int defaultPort) {
    const address::HostPort split = address::SplitHostPort(address);
    const int port = split.port == 0 ? defaultPort : split.port;
    std::string host = ResolvedHost(split.host);
    if (host.empty()) host = Numeric(split.host);
    return host + ":" + std::to_string(port);
}

}  // namespace quillmarch::platform
