#pragma once

#include <string>

namespace quillmarch {

class RunContext;

// Puts the help page (payload 199) on disk before a help request: next to the program, or in
// the temporary folder when the program's folder cannot take it. The application's help-file
// path names the written file from then on.
class HelpFile {
public:
    // An HTML page opened in the desktop's browser.
    static constexpr const char* kFileName = "Quillmarch.html";
    static constexpr unsigned short kPayloadId = 199;

    explicit HelpFile(RunContext& app) : m_app(app) {}
    bool ExtractHelpFile();

private:
    bool WriteTo(const std::string& path, const std::string& content);
    void ReportCorrupted();

    RunContext& m_app;
};

}  // namespace quillmarch
