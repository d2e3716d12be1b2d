// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/platform/OutputPlace.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/platform/Platform.h"

namespace quillmarch::platform {

namespace fs = std::filesystem;

namespace {

// The folder takes a new file: one is made and removed again.
bool FolderTakesFiles(const fs::path& folder) {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const fs::path probe = folder / (".quillmarch-probe-" + std::to_string(stamp));
    std::error_code ignored;
    {
        std::ofstream file(probe, std::ios::binary | std::ios::trunc);
        if (!file) return false;
    }
    fs::remove(probe, ignored);
    return true;
}

}  // namespace

bool OutputPlace::Special(const std::string& path) {
    if (path.empty()) return false;
    std::error_code failed;
    const fs::file_status status = fs::status(PathFromUtf8(path), failed);
    return fs::exists(status) && !fs::is_regular_file(status);
}

bool OutputPlace::Usable(const std::string& path, std::string& error) {
    const fs::path target = PathFromUtf8(path);
    std::error_code failed;
    if (Special(path)) {
        error = path + " is not a plain file (a folder, a device or a pipe)";
        return false;
    }
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    if (!fs::is_directory(folder, failed)) {
        error = "the folder of " + path + " does not exist";
        return false;
    }
    if (!FolderTakesFiles(folder)) {
        error = "no file can be written in the folder of " + path;
        return false;
    }
    return true;
}

bool OutputPlace::Same(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty()) return false;
    std::error_code failed;
    const fs::path a = fs::weakly_canonical(fs::absolute(PathFromUtf8(first), failed), failed);
    const fs::path b = fs::weakly_canonical(fs::absolute(PathFromUtf8(second), failed), failed);
    return a == b;
}

}  // namespace quillmarch::platform
