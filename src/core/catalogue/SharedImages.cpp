// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/catalogue/SharedImages.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/pack/PackDigest.h"
#include "core/platform/Platform.h"

namespace quillmarch {

namespace {

SharedImages::Bytes ReadWhole(const std::string& path) {
    const std::filesystem::path file = platform::PathFromUtf8(path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return nullptr;
    const auto length = std::filesystem::file_size(file, ec);
    std::ifstream in(file, std::ios::binary);
    if (ec || length == 0 || !in) return nullptr;
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(length));
    in.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(length));
    if (static_cast<std::uintmax_t>(in.gcount()) != length) return nullptr;
    return bytes;
}

}  // namespace

std::shared_ptr<SharedImages::Entry> SharedImages::EntryFor(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& entry = m_files[path];
    if (!entry) entry = std::make_shared<Entry>();
    return entry;
}

SharedImages::Bytes SharedImages::Load(const std::string& path) {
    const std::shared_ptr<Entry> entry = EntryFor(path);
    // Held while reading: a second run asking for the same image waits for the first read
    // instead of reading its own copy.
    std::lock_guard<std::mutex> lock(entry->mutex);
    Bytes held = entry->bytes.lock();
    if (!held) {
        held = ReadWhole(path);
        entry->bytes = held;
        // A new buffer may reuse the freed one's address: its digest is not known yet.
        entry->hashed = nullptr;
        entry->sha256.clear();
    }
    return held;
}

std::string SharedImages::Sha256(const std::string& path, const Bytes& bytes) {
    if (!bytes) return {};
    const std::shared_ptr<Entry> entry = EntryFor(path);
    std::lock_guard<std::mutex> lock(entry->mutex);
    if (entry->hashed != bytes.get() || entry->sha256.empty()) {
        entry->sha256 = PackDigest::Sha256Hex(bytes->data(), bytes->size());
        entry->hashed = bytes.get();
    }
    return entry->sha256;
}

}  // namespace quillmarch
