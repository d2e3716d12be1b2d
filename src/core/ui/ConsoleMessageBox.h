// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdio>

#include "core/ui/IMessageBox.h"

namespace quillmarch {

// The message box of a run without a display: the text goes to a stream (stderr), the answer
// is OK (or Yes for a yes/no question), so an unattended run never blocks on a prompt.
class ConsoleMessageBox : public IMessageBox {
public:
    explicit ConsoleMessageBox(std::FILE* stream = stderr) : m_stream(stream) {}
    int Show(const std::string& text, const std::string& caption, unsigned style) override;

private:
    std::FILE* m_stream;
};

}  // namespace quillmarch
