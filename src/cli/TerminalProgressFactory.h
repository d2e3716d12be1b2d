// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdio>
#include <memory>

#include "core/progress/IProgressWindowFactory.h"
#include "core/util/IClock.h"

namespace quillmarch {

// Progress windows for a command-line run without a GUI: each run gets a fresh terminal
// display on the stream (stderr unless a test names another).
class TerminalProgressFactory : public IProgressWindowFactory {
public:
    explicit TerminalProgressFactory(IClock& clock, std::FILE* stream = stderr);
    std::shared_ptr<IProgressWindow> Start() override;

private:
    IClock& m_clock;
    std::FILE* m_stream;
};

}  // namespace quillmarch
