#include "core/run/SystemLock.h"

#include <cstring>

#include "core/platform/Platform.h"
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

namespace quillmarch {

namespace {

// The numeric form of `host` when it is an address or "localhost"; empty otherwise.
std::string ResolvedHost(const std::string& host) {
#ifdef _WIN32
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return {};
#endif
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // Numbers in any spelling ("127.1", "2130706433") and "localhost" only: asking the name
    // service for every fleet row would make the check as slow as the slowest resolver.
    if (text::Lower(host) != "localhost") hints.ai_flags = AI_NUMERICHOST;
    addrinfo* found = nullptr;
    std::string text;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0 && found) {
        char buffer[INET6_ADDRSTRLEN] = {};
        if (found->ai_family == AF_INET) {
            const auto* v4 = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
            if (inet_ntop(AF_INET, &v4->sin_addr, buffer, sizeof(buffer))) text = buffer;
        } else if (found->ai_family == AF_INET6) {
            const auto* v6 = reinterpret_cast<const sockaddr_in6*>(found->ai_addr);
            const auto* bytes = reinterpret_cast<const unsigned char*>(&v6->sin6_addr);
            static constexpr unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
            // ::ffff:a.b.c.d is the IPv4 system a.b.c.d.
            if (std::memcmp(bytes, kMapped, sizeof(kMapped)) == 0) {
                if (inet_ntop(AF_INET, bytes + 12, buffer, sizeof(buffer))) text = buffer;
            } else if (inet_ntop(AF_INET6, &v6->sin6_addr, buffer, sizeof(buffer))) {
                text = buffer;
            }
        }
    }
    if (found) freeaddrinfo(found);
#ifdef _WIN32
    WSACleanup();
#endif
    return text;
}

}  // namespace

std::string SystemLock::Key(const std::string& address) {
    const address::HostPort split = address::SplitHostPort(address);
    const int port = split.port == 0 ? kDefaultFtpPort : split.port;
    // Normalised first, as the connection does: "010.0.0.1" is 10.0.0.1, not octal.
    const std::string typed = address::Normalise(text::Lower(split.host));
    std::string host = ResolvedHost(typed);
    if (host.empty()) host = typed;
    return host + " " + std::to_string(port);
}

std::string SystemLock::PathIn(const std::string& folder, const std::string& address) {
    // Longer names than a file system takes share a lock: too careful, never too lax.
    std::string name = address::LocalName(Key(address)).substr(0, 200);
    for (char& c : name)
        if (c == ' ') c = '_';
    return folder + platform::Separator() + name + ".lock";
}

bool SystemLock::Take(const std::string& folder, const std::string& address, std::string& error) {
    std::string place = folder;
    if (place.empty()) {
        const std::string cache = platform::UserCacheDirectory(error);
        if (cache.empty()) return false;
        place = cache + platform::Separator() + "locks";
    }
    if (!platform::EnsurePrivateDirectory(place)) {
        error = "the folder " + place + " is not private to this user";
        return false;
    }
    return m_lock.TryLock(PathIn(place, address), error);
}

}  // namespace quillmarch
