#pragma once

#include <string>

namespace quillmarch {

class CQuillmarch6App;

// Puts the help page (payload 199) on disk before a help request: next to the program, or in
// the temporary folder when the program's folder cannot take it. The application's help-file
// path names the written file from then on.
class CHelpFile {
public:
    // An HTML page opened in the desktop's browser.
    static constexpr const char* kFileName = "Quillmarch.html";
    static constexpr unsigned short kPayloadId = 199;

    explicit CHelpFile(CQuillmarch6App& app) : m_app(app) {}
    bool ExtractHelpFile();

private:
    bool WriteTo(const std::string& path, const std::string& content);
    void ReportCorrupted();

    CQuillmarch6App& m_app;
};

}  // namespace quillmarch
