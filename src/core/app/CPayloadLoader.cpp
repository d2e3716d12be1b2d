#include "core/app/CPayloadLoader.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/platform/Platform.h"

namespace quillmarch {

namespace fs = std::filesystem;

std::string CPayloadLoader::DefaultFolder() {
    if (const char* env = std::getenv("QUILLMARCH_PAYLOADS"); env && *env) return env;
    const std::string exeDir = platform::ExecutableDirectory();
    if (exeDir.empty()) return "payloads";
    std::error_code ec;
    const fs::path beside = platform::PathFromUtf8(exeDir) / "payloads";
    if (fs::is_directory(beside, ec)) return platform::Utf8FromPath(beside);
    return platform::Utf8FromPath(platform::PathFromUtf8(exeDir) / ".." / "share" / "quillmarch" /
                                  "payloads");
}

CPayloadLoader::CPayloadLoader(std::string folder) : m_strFolder(std::move(folder)) {}

void CPayloadLoader::Release() {
    m_held.clear();
    m_held.shrink_to_fit();
}

bool CPayloadLoader::LoadPayload(std::uint16_t id, const std::uint8_t** data, std::size_t* size) {
    Release();
    if (id == 0) return false;
    if (data) *data = nullptr;
    if (size) *size = 0;
    const fs::path file = platform::PathFromUtf8(m_strFolder) / (std::to_string(id) + ".bin");
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    m_held.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        Release();
        return false;
    }
    if (data) *data = m_held.empty() ? nullptr : m_held.data();
    if (size) *size = m_held.size();
    return !m_held.empty();
}

}  // namespace quillmarch
