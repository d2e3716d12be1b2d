// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/ui/HelpFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/job/RunContext.h"
#include "core/platform/Platform.h"

namespace quillmarch {

namespace fs = std::filesystem;

namespace {

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) return false;
    return std::equal(tail.rbegin(), tail.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(platform::PathFromUtf8(path), ec);
}

}  // namespace

bool HelpFile::WriteTo(const std::string& path, const std::string& content) {
    std::ofstream out(platform::PathFromUtf8(path), std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return static_cast<bool>(out.flush());
}

void HelpFile::ReportCorrupted() {
    m_app.MessageBox().Show(
        m_app.LoadUiString(210,
                           "The file is corrupted. Please download the latest file from "
                           "www.example.com and try again."),
        "Quillmarch", MB_OK | MB_ICONERROR);
}

std::string HelpFile::InstalledPage(const std::string& programDir) {
    if (programDir.empty()) return {};
    const fs::path program = platform::PathFromUtf8(programDir);
    for (const fs::path& page :
         {program.parent_path() / "share" / "doc" / "quillmarch" / "help" / "index.html",
          program / "help" / "index.html"}) {
        std::error_code ec;
        if (fs::is_regular_file(page, ec)) return platform::Utf8FromPath(page.lexically_normal());
    }
    return {};
}

bool HelpFile::IsInstalledPage(const std::string& path) {
    return EndsWithNoCase(path, "index.html");
}

bool HelpFile::ExtractHelpFile() {
    const std::string& current = m_app.m_helpFilePath;
    if (IsInstalledPage(current) && Exists(current)) return true;  // opened in place
    std::string target;
    if (!current.empty()) {
        const auto cut = current.find_last_of("\\/");
        const std::string dir =
            cut == std::string::npos ? std::string(".") : current.substr(0, cut);
        target = dir + platform::Separator() + kFileName;
        if (EndsWithNoCase(current, kFileName) && Exists(target)) return true;
    }

    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    if (!m_app.m_payloads.LoadPayload(kPayloadId, &data, &size)) {
        ReportCorrupted();
        return false;
    }
    const std::string content(reinterpret_cast<const char*>(data), size);
    m_app.m_payloads.Release();
    if (target.empty() || !WriteTo(target, content)) {
        // The user's own cache: private, so nobody else can put a page there first.
        const std::string cache = platform::UserCacheDirectory();
        target = cache + platform::Separator() + kFileName;
        if (cache.empty() || !WriteTo(target, content)) {
            ReportCorrupted();
            return false;
        }
    }
    m_app.m_helpFilePath = target;
    return true;
}

}  // namespace quillmarch
