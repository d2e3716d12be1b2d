// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch {

// Message-box style flags and answers, as the Windows message box numbers them.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDRETRY = 4;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a modal message and answers the button pressed. The GUI shows a real box; without a
// display the console variant prints to stderr and answers OK (Yes, Cancel: nobody is there to
// ask for a retry).
class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual int Show(const std::string& text, const std::string& caption, unsigned style) = 0;
    // False once no operator can see a box any more (the display went away): the run then
    // answers as a quiet run does.
    virtual bool CanShow() const { return true; }
};

}  // namespace quillmarch
