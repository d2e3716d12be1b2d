// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/ui/ConsoleMessageBox.h"

namespace quillmarch {

int ConsoleMessageBox::Show(const std::string& text, const std::string& caption, unsigned style) {
    std::fprintf(m_stream, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(m_stream);
    return (style & 0xF) == MB_YESNO ? IDYES : IDOK;
}

}  // namespace quillmarch
