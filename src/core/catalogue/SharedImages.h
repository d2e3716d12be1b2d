#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quillmarch {

// Payload files read once and handed out read-only to every run that asks for the same file,
// so runs in threads side by side hold one copy of each image between them. Thread-safe.
class SharedImages {
public:
    using Bytes = std::shared_ptr<const std::vector<std::uint8_t>>;

    // The file's bytes; null when it is missing, empty or could not be read whole. A file is
    // read at most once; a failed read is tried again by the next caller.
    Bytes Load(const std::string& path);
    // Bytes held now, over every file (for the benchmark's memory figures).
    std::size_t HeldBytes() const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, Bytes> m_files;
};

}  // namespace quillmarch
