// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quillmarch {

// Payload files handed out read-only to every run that asks for the same file, so runs in
// threads side by side hold one copy of each image between them, read once and hashed once. An
// image no run holds any more is let go, as a single run lets go of it. Thread-safe; a file is
// read under its own lock only, so runs wanting different images do not wait for each other.
class SharedImages {
public:
    using Bytes = std::shared_ptr<const std::vector<std::uint8_t>>;

    // The file's bytes; null when it is missing, empty or could not be read whole. A file some
    // run still holds is not read again.
    Bytes Load(const std::string& path);
    // SHA-256 (hex) of `bytes` loaded from `path`: computed by the first run that asks.
    std::string Sha256(const std::string& path, const Bytes& bytes);

private:
    struct Entry {
        std::mutex mutex;
        std::weak_ptr<const std::vector<std::uint8_t>> bytes;
        const void* hashed = nullptr;  // the buffer `sha256` belongs to
        std::string sha256;
    };

    std::shared_ptr<Entry> EntryFor(const std::string& path);

    std::mutex m_mutex;  // guards the map only
    std::map<std::string, std::shared_ptr<Entry>> m_files;
};

}  // namespace quillmarch
