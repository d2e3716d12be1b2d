// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/job/RunContext.h"
#include "support/FakeClock.h"
#include "support/FakeLink.h"
#include "support/FakeSystem.h"
#include "support/RecordingMessageBox.h"
#include "support/ScriptedProgressWindow.h"

namespace quillmarch::test {

// Hands the scripted window to a run that starts its progress window.
class ScriptedWindowFactory : public IProgressWindowFactory {
public:
    explicit ScriptedWindowFactory(std::shared_ptr<ScriptedProgressWindow> window)
        : m_window(std::move(window)) {}
    std::shared_ptr<IProgressWindow> Start() override { return m_window; }

private:
    std::shared_ptr<ScriptedProgressWindow> m_window;
};

// An application wired to a FakeSystem, a fake clock and a recording message box, with its
// work directory and log inside a folder of the test's own.
class FakeAppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the log in the test folder (as the command line would).
    void StartLog();
    // The log's record texts (the time stamp and " : " removed); closes the log first.
    std::vector<std::string> LogRecords();
    bool Logged(const std::string& text);
    int CountLogged(const std::string& text);
    // Makes runs show the scripted window.
    void UseWindow();
    // The link's work folder of the run (made on first use).
    std::string WorkDir() const;

    std::filesystem::path m_dir;
    FakeClock m_clock;
    RecordingMessageBox m_box;
    FakeSystem m_system;
    std::unique_ptr<RunContext> m_app;
    std::shared_ptr<ScriptedProgressWindow> m_window = std::make_shared<ScriptedProgressWindow>();
    std::unique_ptr<ScriptedWindowFactory> m_factory;
    std::vector<std::string> m_records;
};

}  // namespace quillmarch::test
