#include "core/catalogue/PayloadLoader.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/platform/Platform.h"

namespace quillmarch {

namespace fs = std::filesystem;

std::string PayloadLoader::DefaultFolder() {
    if (std::string env = platform::EnvironmentVariable("QUILLMARCH_PAYLOADS"); !env.empty())
        return env;
    const std::string exeDir = platform::ExecutableDirectory();
    if (exeDir.empty()) return "payloads";
    std::error_code ec;
    const fs::path beside = platform::PathFromUtf8(exeDir) / "payloads";
    if (fs::is_directory(beside, ec)) return platform::Utf8FromPath(beside);
    return platform::Utf8FromPath(platform::PathFromUtf8(exeDir) / ".." / "share" / "quillmarch" /
                                  "payloads");
}

PayloadLoader::PayloadLoader(std::string folder) : m_folder(std::move(folder)) {}

void PayloadLoader::Release() {
    m_held.clear();
    m_held.shrink_to_fit();
    m_shared.reset();
}

bool PayloadLoader::LoadPayload(std::uint16_t id, const std::uint8_t** data, std::size_t* size) {
    Release();
    if (id == 0) return false;
    if (data) *data = nullptr;
    if (size) *size = 0;
    const fs::path file = platform::PathFromUtf8(m_folder) / (std::to_string(id) + ".bin");
    if (m_images) {
        m_shared = m_images->Load(platform::Utf8FromPath(file));
        if (data && m_shared) *data = m_shared->data();
        if (size && m_shared) *size = m_shared->size();
        return m_shared != nullptr;
    }
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return false;
    const auto length = fs::file_size(file, ec);
    std::ifstream in(file, std::ios::binary);
    if (ec || length == 0 || !in) return false;
    // One read: images run to tens of megabytes and start-up loads every one of them.
    m_held.resize(static_cast<std::size_t>(length));
    in.read(reinterpret_cast<char*>(m_held.data()), static_cast<std::streamsize>(length));
    if (static_cast<std::uintmax_t>(in.gcount()) != length) {
        Release();  // shrank or failed while being read
        return false;
    }
    if (data) *data = m_held.empty() ? nullptr : m_held.data();
    if (size) *size = m_held.size();
    return !m_held.empty();
}

}  // namespace quillmarch
