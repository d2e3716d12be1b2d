#pragma once

#include <string>

#include "core/platform/FileLock.h"

namespace quillmarch {

// One run per system at a time. The lock is keyed on the system's resolved address and port,
// so "127.0.0.1", "127.0.0.1:21", "localhost:21", "127.1" and "[::ffff:127.0.0.1]:21" all
// name one lock. Lock files live only in the user's private folder: a file planted by another
// user elsewhere can never block a run.
class SystemLock {
public:
    static constexpr int kDefaultFtpPort = 21;

    // "address port" of the system an address names: the address in its one numeric form (an
    // IPv4 address mapped into IPv6 shown as IPv4; "localhost" resolved), a DNS name lower-cased
    // as typed. A DNS name and its address are not seen as one system.
    static std::string Key(const std::string& address);
    // The lock file for an address inside `folder`.
    static std::string PathIn(const std::string& folder, const std::string& address);

    // Takes the lock of `address` in `folder` (the user's private cache when empty). False
    // with `error` set when another run holds it or no private place for it exists.
    bool Take(const std::string& folder, const std::string& address, std::string& error);

private:
    platform::FileLock m_lock;
};

}  // namespace quillmarch
