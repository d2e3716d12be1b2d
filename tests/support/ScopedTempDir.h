// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace quillmarch::test {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes. Names are random so that test processes running side by side never share one.
class ScopedTempDir {
public:
    ScopedTempDir() {
        std::random_device random;
        const auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            const auto candidate = base / ("quillmarch-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) m_path = candidate;
        }
    }
    ~ScopedTempDir() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string Str() const { return m_path.string(); }
    std::string Str(const std::string& relative) const { return (m_path / relative).string(); }

private:
    std::filesystem::path m_path;
};

// Makes a folder the current directory for the lifetime of the object.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::filesystem::path& dir)
        : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~ScopedCurrentDir() {
        std::error_code ec;
        std::filesystem::current_path(m_previous, ec);
    }
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

private:
    std::filesystem::path m_previous;
};

// Whole file as bytes; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace quillmarch::test
