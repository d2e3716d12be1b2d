// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/job/RunContext.h"
#include "core/ui/MessageBoxRouter.h"
#include "gui/support/ProgressTestClock.h"
#include "support/FakeSystem.h"
#include "support/RecordingMessageBox.h"

namespace quillmarch::test {

// An application for the progress window's tests: a FakeSystem (a "KDV 18" in normal mode)
// behind a FakeLink, a clock that never sleeps, message boxes routed to a recording one, not
// quiet, and the
// work directory and log in a folder of its own that goes with the object.
class CProgressTestApp {
public:
    CProgressTestApp();
    ~CProgressTestApp();
    CProgressTestApp(const CProgressTestApp&) = delete;
    CProgressTestApp& operator=(const CProgressTestApp&) = delete;

    RunContext& App() { return *m_app; }
    void StartLog();
    // The log's record texts without their time stamps; closes the log first.
    std::vector<std::string> LogRecords();
    int CountLogged(const std::string& text);

    std::filesystem::path m_dir;
    CProgressTestClock m_clock;
    RecordingMessageBox m_box;
    MessageBoxRouter m_router{m_box};  // the application's message box, as in the program
    FakeSystem m_system;

private:
    std::unique_ptr<RunContext> m_app;
};

}  // namespace quillmarch::test
