// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "core/device/SystemConnector.h"
#include "core/job/RunContext.h"
#include "support/FakeClock.h"
#include "support/FakeLink.h"
#include "support/FakeSystem.h"
#include "support/FakeSystemWiring.h"
#include "support/RecordingMessageBox.h"
#include "support/ScriptedProgressWindow.h"

namespace quillmarch::test {

// A fake clock that can also look at the world at the moment of each wait.
class SnoopingClock : public FakeClock {
public:
    void Wait(std::chrono::milliseconds duration) override {
        if (onWait) onWait(duration);
        FakeClock::Wait(duration);
    }
    std::function<void(std::chrono::milliseconds)> onWait;
};

// An application wired for device operations: a fake system behind a fake link, a fake clock,
// a recording message box, the sample payloads (rows 1..12 have an image), a log in a private
// temporary folder that also holds the link's work directory. The run flag is set.
class DeviceTestBench {
public:
    static constexpr const char* kAddress = "10.0.0.5";
    static constexpr const char* kPassword = "secret";

    DeviceTestBench() : app(clock, box) {
        static std::atomic<int> counter{0};
        m_folder = std::filesystem::temp_directory_path() /
                   ("qm-device-" + std::to_string(std::random_device{}()) + "-" +
                    std::to_string(++counter));
        std::filesystem::create_directories(m_folder);
        app.m_log.SetStampSource([] { return std::string("T"); });
        std::string ignored;
        app.m_log.Open((m_folder / "run.log").string(), ignored);
        WireToFakeSystem(app, system, m_folder);
        app.m_updateRunning = true;
    }
    ~DeviceTestBench() {
        app.m_link.reset();
        app.m_log.Close();
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    DeviceTestBench(const DeviceTestBench&) = delete;
    DeviceTestBench& operator=(const DeviceTestBench&) = delete;

    FakeLink& Link() { return static_cast<FakeLink&>(*app.m_link); }

    std::shared_ptr<ScriptedProgressWindow> UseWindow() {
        window = std::make_shared<ScriptedProgressWindow>();
        app.m_progressWnd = window;
        app.m_updateRunning = true;
        return window;
    }

    // Logs on and identifies, then forgets what that exchange left in the journal.
    bool ConnectAndForget() {
        const bool connected = SystemConnector(app).ConnectToSystem(kAddress, kPassword);
        system.commands.clear();
        system.downloads.clear();
        system.logons = 0;
        clock.waits.clear();
        return connected;
    }

    // The log's texts, without time stamps, in order.
    std::vector<std::string> LogLines() const {
        std::ifstream in(m_folder / "run.log");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line.rfind("T : ", 0) == 0 ? line.substr(4) : line);
        }
        return lines;
    }
    // The same without the per-command "FTP Quote" lines of the link.
    std::vector<std::string> StepLines() const {
        std::vector<std::string> lines;
        for (auto& line : LogLines()) {
            if (line.rfind("FTP Quote ", 0) != 0) lines.push_back(line);
        }
        return lines;
    }
    bool Logged(const std::string& text) const {
        for (const auto& line : LogLines()) {
            if (line == text) return true;
        }
        return false;
    }

    FakeSystem system;
    SnoopingClock clock;
    RecordingMessageBox box;
    RunContext app;
    std::shared_ptr<ScriptedProgressWindow> window;

private:
    std::filesystem::path m_folder;
};

}  // namespace quillmarch::test
