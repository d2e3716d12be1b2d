// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>

#include "core/progress/IProgressWindow.h"

namespace quillmarch {

// Starts a progress window for one run (the GUI window, or the terminal display).
class IProgressWindowFactory {
public:
    virtual ~IProgressWindowFactory() = default;
    // Null when no window could be started; the run then proceeds without one.
    virtual std::shared_ptr<IProgressWindow> Start() = 0;
};

}  // namespace quillmarch
