// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/TerminalProgressFactory.h"
#include "cli/TerminalProgressWindow.h"
#include "support/FakeClock.h"

#ifndef _WIN32
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#endif

namespace quillmarch {
namespace {

using namespace std::chrono_literals;
using Rendering = TerminalProgressWindow::Rendering;

// A window writing into a temporary file, read back as text.
class TerminalProgressTest : public ::testing::Test {
protected:
    TerminalProgressTest() : m_file(std::tmpfile()) {}
    ~TerminalProgressTest() override {
        m_window.reset();
        if (m_file) std::fclose(m_file);
    }

    TerminalProgressWindow& Open(Rendering rendering) {
        m_window = std::make_unique<TerminalProgressWindow>(m_file, m_clock, rendering);
        return *m_window;
    }

    std::string Output() {
        std::fflush(m_file);
        std::rewind(m_file);
        std::string text;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof(buffer), m_file)) > 0;)
            text.append(buffer, n);
        std::fseek(m_file, 0, SEEK_END);  // the window appends after a read
        return text;
    }

    // The live frames: each "\r" starts one; cover blanks dropped, a closing "\n" kept.
    std::vector<std::string> Frames() {
        std::vector<std::string> frames;
        const std::string text = Output();
        for (std::size_t at = text.find('\r'); at != std::string::npos;
             at = text.find('\r', at + 1)) {
            const std::size_t end = text.find_first_of("\r\n", at + 1);
            std::string frame = text.substr(at + 1, end == std::string::npos ? end : end - at - 1);
            frame.erase(frame.find_last_not_of(' ') + 1);
            if (end != std::string::npos && text[end] == '\n') frame += '\n';
            frames.push_back(frame);
        }
        return frames;
    }

    test::FakeClock m_clock;
    std::FILE* m_file;
    std::unique_ptr<TerminalProgressWindow> m_window;
};

TEST_F(TerminalProgressTest, PlainShowsOneLinePerTaskStartAndEndOnly) {
    auto& window = Open(Rendering::Plain);
    EXPECT_FALSE(window.IsLive());
    EXPECT_EQ(window.Caption("-10.1.2.3"), ProgressState::Running);
    EXPECT_EQ(window.RunStarted(2, 0), ProgressState::Running);
    EXPECT_EQ(window.TaskStarted("Update Mode", kStepTaskBytes), ProgressState::Running);
    for (int percent : {10, 50, -5, 150})
        EXPECT_EQ(window.Percent(percent, std::nullopt), ProgressState::Running);
    m_clock.Wait(3s);
    EXPECT_EQ(window.TaskDone(), ProgressState::Running);
    EXPECT_EQ(window.TaskStarted("Main Image", 5000), ProgressState::Running);
    window.Bytes(1500);
    window.Bytes(2500);
    m_clock.Wait(65s);
    EXPECT_EQ(window.TaskDone(), ProgressState::Running);
    EXPECT_EQ(window.RunEnded(), ProgressState::Running);
    EXPECT_EQ(window.Ping(), ProgressState::Running);
    EXPECT_EQ(Output(),
              "Update Progress : -10.1.2.3\n"
              "Tasks 0/2\n"
              "[1/2] Update Mode\n"
              "[1/2] Update Mode done (00:03)\n"
              "[2/2] Main Image\n"
              "[2/2] Main Image done (2 KB, 01:05)\n"
              "Done: Tasks 2/2, 01:08\n");
}

TEST_F(TerminalProgressTest, LiveRewritesOneLineAndEndsItWhenTheTaskIsDone) {
    auto& window = Open(Rendering::Live);
    window.RunStarted(3, 0);
    window.TaskStarted("Update Mode", kStepTaskBytes);
    window.Percent(-5, std::nullopt);
    m_clock.Wait(2s);
    window.Percent(150, "Update Mode - Retrying");
    window.Percent(95, "Short");
    window.TaskDone();
    window.RunEnded();
    const std::string retrying = "[1/3] Update Mode - Retrying 150% 00:02";
    const std::string shorter = "[1/3] Short 95% 00:02";
    EXPECT_EQ(Output(),
              "Tasks 0/3\n"
              "\r[1/3] Update Mode 0% 00:00"
              "\r[1/3] Update Mode 90% 00:00"
              "\r" +
                  retrying + "\r" + shorter + std::string(retrying.size() - shorter.size(), ' ') +
                  "\r[1/3] Short done (00:02)\n"
                  "Done: Tasks 1/3, 00:02\n");
}

struct SBytesCase {
    const char* name;
    std::int64_t total;
    std::vector<std::int64_t> posts;
    std::vector<std::string> frames;
};

class TerminalBytes : public TerminalProgressTest,
                      public ::testing::WithParamInterface<SBytesCase> {};

TEST_P(TerminalBytes, PercentFollowsBytesAgainstTheTotal) {
    const SBytesCase& c = GetParam();
    auto& window = Open(Rendering::Live);
    window.TaskStarted("Main Image", c.total);
    for (std::int64_t bytes : c.posts) window.Bytes(bytes);
    window.TaskDone();
    EXPECT_EQ(Frames(), c.frames);
}

const SBytesCase kBytes[] = {
    {"Total5000",
     5000,
     {1500, 2500, 4999, 5000, 6000},
     {"[1/1] Main Image 0% 0/5000 00:00", "[1/1] Main Image 30% 1500/5000 00:00",
      "[1/1] Main Image 50% 2500/5000 00:00", "[1/1] Main Image 99% 4999/5000 00:00",
      "[1/1] Main Image 100% 5000/5000 00:00", "[1/1] Main Image done (5 KB, 00:00)\n"}},
    // A plain task's total of 1: the first count shows 100, the next raises the total to it.
    {"Total1",
     1,
     {5000, 6000},
     {"[1/1] Main Image 0% 00:00", "[1/1] Main Image 100% 00:00",
      "[1/1] Main Image 100% 5000/5000 00:00", "[1/1] Main Image done (5 KB, 00:00)\n"}},
    // A timed wait: 100 at the first byte message, and no bytes are counted.
    {"Total0",
     0,
     {700},
     {"[1/1] Main Image 0% 00:00", "[1/1] Main Image 100% 00:00",
      "[1/1] Main Image done (00:00)\n"}},
};

INSTANTIATE_TEST_SUITE_P(Totals, TerminalBytes, ::testing::ValuesIn(kBytes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TerminalProgressTest, NamelessTasksInBothRenderings) {
    auto& plain = Open(Rendering::Plain);
    plain.TaskStarted(std::nullopt, kStepTaskBytes);
    plain.TaskDone();
    plain.TaskStarted("", kStepTaskBytes);
    plain.TaskDone();
    plain.TaskDone();  // done with no task started
    EXPECT_EQ(Output(),
              "[1/1] Unknown Task\n[1/1] Unknown Task done (00:00)\n"
              "[2/2] Unknown Task\n[2/2] Unknown Task done (00:00)\n"
              "[3/3] Unknow task done (00:00)\n");

    std::FILE* other = std::tmpfile();
    ASSERT_NE(other, nullptr);
    {
        TerminalProgressWindow live(other, m_clock, Rendering::Live);
        live.TaskStarted(std::nullopt, kStepTaskBytes);
    }
    std::rewind(other);
    char buffer[128] = {};
    EXPECT_STREQ(std::fgets(buffer, sizeof(buffer), other), "\r[1/1] Unknown Task 0% 00:00");
    std::fclose(other);
}

TEST_F(TerminalProgressTest, CounterGrowsWhenMoreTasksFinishThanAnnounced) {
    auto& window = Open(Rendering::Plain);
    window.RunStarted(2, 0);
    for (const char* name : {"A", "B", "C"}) {
        window.TaskStarted(name, kStepTaskBytes);
        window.TaskDone();
    }
    window.RunEnded();
    EXPECT_EQ(Output(),
              "Tasks 0/2\n"
              "[1/2] A\n[1/2] A done (00:00)\n"
              "[2/2] B\n[2/2] B done (00:00)\n"
              "[3/3] C\n[3/3] C done (00:00)\n"
              "Done: Tasks 3/3, 00:00\n");
}

TEST_F(TerminalProgressTest, ClosedWindowAnswersClosedAndShowsNothingMore) {
    auto& window = Open(Rendering::Live);
    window.TaskStarted("Backup files", kStepTaskBytes);
    EXPECT_EQ(window.Close(), ProgressState::Closed);
    const std::string closed = Output();
    EXPECT_EQ(closed, "\r[1/1] Backup files 0% 00:00\n");  // the live line is ended
    const std::vector<std::pair<const char*, std::function<ProgressState()>>> calls = {
        {"ping", [&] { return window.Ping(); }},
        {"percent", [&] { return window.Percent(1, std::nullopt); }},
        {"task done", [&] { return window.TaskDone(); }},
        {"run start", [&] { return window.RunStarted(1, 0); }},
        {"run end", [&] { return window.RunEnded(); }},
        {"close", [&] { return window.Close(); }},
    };
    for (const auto& [name, call] : calls) EXPECT_EQ(call(), ProgressState::Closed) << name;
    EXPECT_EQ(window.TaskStarted("Restore files", kStepTaskBytes), ProgressState::Closed);
    window.Bytes(10);
    EXPECT_EQ(Output(), closed);
}

TEST_F(TerminalProgressTest, PostedCloseClosesToo) {
    auto& window = Open(Rendering::Plain);
    window.PostClose();
    EXPECT_EQ(window.Ping(), ProgressState::Closed);
    EXPECT_EQ(Output(), "");
}

TEST_F(TerminalProgressTest, BytesPostedFromAnotherThreadWhileSending) {
    auto& window = Open(Rendering::Plain);
    window.TaskStarted("Main Image", 1000000000);
    std::thread poster([&window] {
        for (std::int64_t bytes = 1; bytes <= 2000; ++bytes) window.Bytes(bytes);
    });
    for (int i = 0; i < 2000; ++i)
        EXPECT_EQ(window.Percent(i % 100, std::nullopt), ProgressState::Running);
    poster.join();
    window.TaskDone();
    EXPECT_EQ(Output(), "[1/1] Main Image\n[1/1] Main Image done (2 KB, 00:00)\n");
}

struct SByteCountCase {
    std::int64_t count;
    const char* withUnit;
    const char* withoutUnit;
};

TEST(TerminalProgressFormat, ByteCounts) {
    const SByteCountCase cases[] = {
        {0, "0 B", "0"},
        {999, "999 B", "999"},
        {1000, "1 KB", "1"},
        {999999, "999 KB", "999"},
        {1000000, "1,000 KB", "1,000"},
        {1234567, "1,234 KB", "1,234"},
        {12345678, "12,345 KB", "12,345"},
        {1234567890123, "1,234,567,890 KB", "1,234,567,890"},
        {-5, "-5 B", "-5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TerminalProgressWindow::FormatByteCount(c.count, true), c.withUnit) << c.count;
        EXPECT_EQ(TerminalProgressWindow::FormatByteCount(c.count, false), c.withoutUnit)
            << c.count;
    }
}

TEST(TerminalProgressFormat, ElapsedMinutesAndSeconds) {
    EXPECT_EQ(TerminalProgressWindow::FormatElapsed(0ms), "00:00");
    EXPECT_EQ(TerminalProgressWindow::FormatElapsed(59999ms), "00:59");
    EXPECT_EQ(TerminalProgressWindow::FormatElapsed(5min + 12s), "05:12");
    EXPECT_EQ(TerminalProgressWindow::FormatElapsed(100min + 1s), "100:01");
    EXPECT_EQ(TerminalProgressWindow::FormatElapsed(-5s), "00:00");
}

TEST(TerminalProgressFactory, EachRunGetsItsOwnWindowOnTheStream) {
    test::FakeClock clock;
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    TerminalProgressFactory factory(clock, file);
    const auto first = factory.Start();
    const auto second = factory.Start();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->Close(), ProgressState::Closed);
    EXPECT_EQ(second->RunStarted(4, 0),
              ProgressState::Running);  // the first one's close is its own
    std::rewind(file);
    char buffer[64] = {};
    EXPECT_STREQ(std::fgets(buffer, sizeof(buffer), file), "Tasks 0/4\n");  // not a terminal
    std::fclose(file);
}

#ifndef _WIN32
TEST(TerminalProgressRendering, AutoFollowsWhetherTheStreamIsATerminal) {
    test::FakeClock clock;
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(TerminalProgressWindow(file, clock).IsLive());
    EXPECT_TRUE(TerminalProgressWindow(file, clock, Rendering::Live).IsLive());
    std::fclose(file);

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        if (master >= 0) close(master);
        GTEST_SKIP() << "no pseudo terminal here";
    }
    std::FILE* terminal = std::fopen(ptsname(master), "w");
    ASSERT_NE(terminal, nullptr);
    EXPECT_TRUE(TerminalProgressWindow(terminal, clock).IsLive());
    EXPECT_FALSE(TerminalProgressWindow(terminal, clock, Rendering::Plain).IsLive());
    std::fclose(terminal);
    close(master);
}
#else
// Windows reports every character device as a tty, NUL among them; only a console is live.
TEST(TerminalProgressRendering, AutoIsLiveOnAConsoleOnlyNotOnNul) {
    test::FakeClock clock;
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(TerminalProgressWindow(file, clock).IsLive());
    std::fclose(file);

    std::FILE* nul = std::fopen("NUL", "w");
    ASSERT_NE(nul, nullptr);
    EXPECT_FALSE(TerminalProgressWindow(nul, clock).IsLive());
    EXPECT_TRUE(TerminalProgressWindow(nul, clock, Rendering::Live).IsLive());
    std::fclose(nul);
}
#endif

}  // namespace
}  // namespace quillmarch
