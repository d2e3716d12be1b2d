#include "core/catalogue/SharedImages.h"

#include <filesystem>
#include <fstream>
#include <system_error>

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

SharedImages::Bytes SharedImages::Load(const std::string& path) {
    // Held while reading: a second run asking for the same image waits for the first read
    // instead of reading its own copy.
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& entry = m_files[path];
    Bytes held = entry.lock();
    if (!held) {
        held = ReadWhole(path);
        entry = held;
    }
    return held;
}

}  // namespace quillmarch
