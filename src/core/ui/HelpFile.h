// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch {

class RunContext;

// Finds the help page before a help request: the installed page, opened in place; without
// one, the page (payload 199) written into the folder of the application's help-file path, or
// when that is unset or cannot take it, into the user's private cache. Never into a shared
// folder (the temporary folder) where another user could plant the page, and never beside
// the program. The help-file path names the page from then on.
class HelpFile {
public:
    // An HTML page opened in the desktop's browser.
    static constexpr const char* kFileName = "Quillmarch.html";
    static constexpr unsigned short kPayloadId = 199;

    explicit HelpFile(RunContext& app) : m_app(app) {}
    bool ExtractHelpFile();
    // The page a package or installer put in place for the program in `programDir`
    // (../share/doc/quillmarch/help/index.html, or help/index.html beside it); empty if none.
    static std::string InstalledPage(const std::string& programDir);
    // True when `path` is such an installed page (a folder no run may write into).
    static bool IsInstalledPage(const std::string& path);

private:
    bool WriteTo(const std::string& path, const std::string& content);
    void ReportCorrupted();

    RunContext& m_app;
};

}  // namespace quillmarch
