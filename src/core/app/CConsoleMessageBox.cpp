#include "core/app/CConsoleMessageBox.h"

namespace quillmarch {

int CConsoleMessageBox::Show(const std::string& text, const std::string& caption, unsigned style) {
    std::fprintf(m_pStream, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(m_pStream);
    return (style & 0xF) == MB_YESNO ? IDYES : IDOK;
}

}  // namespace quillmarch
