// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/TerminalProgressFactory.h"

#include "cli/TerminalProgressWindow.h"

namespace quillmarch {

TerminalProgressFactory::TerminalProgressFactory(IClock& clock, std::FILE* stream)
    : m_clock(clock), m_stream(stream) {}

std::shared_ptr<IProgressWindow> TerminalProgressFactory::Start() {
    return std::make_shared<TerminalProgressWindow>(m_stream, m_clock);
}

}  // namespace quillmarch
