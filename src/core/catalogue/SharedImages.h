#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quillmarch {

// Payload files handed out read-only to every run that asks for the same file, so runs in
// threads side by side hold one copy of each image between them. An image no run holds any
// more is let go, as a single run lets go of it. Thread-safe.
class SharedImages {
public:
    using Bytes = std::shared_ptr<const std::vector<std::uint8_t>>;

    // The file's bytes; null when it is missing, empty or could not be read whole. A file some
    // run still holds is not read again.
    Bytes Load(const std::string& path);

private:
    std::mutex m_mutex;
    std::map<std::string, std::weak_ptr<const std::vector<std::uint8_t>>> m_files;
};

}  // namespace quillmarch
