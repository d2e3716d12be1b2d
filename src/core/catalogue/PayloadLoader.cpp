// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/catalogue/PayloadLoader.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/pack/ImagePack.h"
#include "core/pack/PackDigest.h"
#include "core/platform/Platform.h"

namespace quillmarch {

namespace fs = std::filesystem;

std::string PayloadLoader::DefaultFolder(std::vector<std::string>* looked) {
    std::vector<std::string> places;
    if (std::string env = platform::EnvironmentVariable("QUILLMARCH_PAYLOADS"); !env.empty()) {
        // The operator's choice: nothing else is tried, and a missing folder is said as such.
        if (looked) *looked = {env};
        return env;
    } else {
        const std::string exeDir = platform::ExecutableDirectory();
        if (!exeDir.empty())
            places.push_back(platform::Utf8FromPath(platform::PathFromUtf8(exeDir) / "payloads"));
        places.push_back(ImagePack::OperatorFolder());
    }
    if (looked) *looked = places;
    for (const std::string& place : places) {
        std::error_code ec;
        if (fs::is_directory(platform::PathFromUtf8(place), ec)) return place;
    }
    return {};
}

PayloadLoader::PayloadLoader(std::string folder) : m_folder(std::move(folder)) {}

void PayloadLoader::Release() {
    m_held.clear();
    m_held.shrink_to_fit();
    m_shared.reset();
    m_heldId = 0;
    m_heldPath.clear();
    m_heldSha256.clear();
}

bool PayloadLoader::Present(std::uint16_t id, std::uintmax_t minimum) const {
    if (id == 0 || m_folder.empty()) return false;
    std::error_code ec;
    const fs::path file = platform::PathFromUtf8(m_folder) / (std::to_string(id) + ".bin");
    if (!fs::is_regular_file(file, ec)) return false;
    const auto size = fs::file_size(file, ec);
    return !ec && size >= minimum;
}

std::string PayloadLoader::HeldSha256() {
    if (m_heldId == 0) return {};
    if (m_heldSha256.empty()) {
        m_heldSha256 = m_shared ? m_images->Sha256(m_heldPath, m_shared)
                                : PackDigest::Sha256Hex(m_held.data(), m_held.size());
    }
    return m_heldSha256;
}

void PayloadLoader::Hand(const std::uint8_t** data, std::size_t* size) const {
    if (data) *data = m_shared ? m_shared->data() : m_held.data();
    if (size) *size = m_shared ? m_shared->size() : m_held.size();
}

bool PayloadLoader::LoadPayload(std::uint16_t id, const std::uint8_t** data, std::size_t* size) {
    if (id != 0 && id == m_heldId) {
        Hand(data, size);
        return true;
    }
    Release();
    if (id == 0) return false;
    if (data) *data = nullptr;
    if (size) *size = 0;
    if (m_folder.empty()) return false;
    if (!ReadHeld(platform::PathFromUtf8(m_folder) / (std::to_string(id) + ".bin"))) return false;
    m_heldId = id;
    Hand(data, size);
    return true;
}

bool PayloadLoader::ReadHeld(const fs::path& file) {
    if (m_images) {
        m_shared = m_images->Load(platform::Utf8FromPath(file));
        if (!m_shared) return false;
        m_heldPath = platform::Utf8FromPath(file);
        return true;
    }
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return false;
    const auto length = fs::file_size(file, ec);
    std::ifstream in(file, std::ios::binary);
    if (ec || length == 0 || !in) return false;
    // One read into one buffer: the image is hashed and sent from it.
    m_held.resize(static_cast<std::size_t>(length));
    in.read(reinterpret_cast<char*>(m_held.data()), static_cast<std::streamsize>(length));
    if (static_cast<std::uintmax_t>(in.gcount()) != length) {
        Release();  // shrank or failed while being read
        return false;
    }
    return true;
}

}  // namespace quillmarch
