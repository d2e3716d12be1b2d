#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
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

SProgressMessage Message(unsigned id, std::int64_t wParam = 0, std::int64_t lParam = 0) {
    SProgressMessage message;
    message.id = id;
    message.wParam = wParam;
    message.lParam = lParam;
    return message;
}

SProgressMessage WithText(unsigned id, const std::string& text, std::int64_t wParam = 0,
                          std::int64_t lParam = 0) {
    SProgressMessage message = Message(id, wParam, lParam);
    message.text = text;
    message.hasText = true;
    return message;
}

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
    EXPECT_EQ(window.Send(WithText(UM_PROGRESS_CAPTION, "-10.1.2.3")), 1);
    EXPECT_EQ(window.Send(Message(UM_PROGRESS_RUN, 2)), 1);
    EXPECT_EQ(window.Send(WithText(UM_PROGRESS_TASK_START, "Update Mode", 0, 1)), 1);
    for (int percent : {10, 50, -5, 150})
        EXPECT_EQ(window.Send(Message(UM_PROGRESS_TASK_PERCENT, percent)), 1);
    m_clock.Wait(3s);
    EXPECT_EQ(window.Send(Message(UM_PROGRESS_TASK_DONE, 100)), 1);
    EXPECT_EQ(window.Send(WithText(UM_PROGRESS_TASK_START, "Main Image", 0, 5000)), 1);
    window.Post(Message(UM_PROGRESS_BYTES, 1500));
    window.Post(Message(UM_PROGRESS_BYTES, 2500));
    m_clock.Wait(65s);
    EXPECT_EQ(window.Send(Message(UM_PROGRESS_TASK_DONE)), 1);
    EXPECT_EQ(window.Send(Message(UM_PROGRESS_RUN, 0)), 1);
    EXPECT_EQ(window.Send(Message(UM_PROGRESS_PING)), 1);
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
    window.Send(Message(UM_PROGRESS_RUN, 3));
    window.Send(WithText(UM_PROGRESS_TASK_START, "Update Mode", 0, 1));
    window.Send(Message(UM_PROGRESS_TASK_PERCENT, -5));
    m_clock.Wait(2s);
    window.Send(WithText(UM_PROGRESS_TASK_PERCENT, "Update Mode - Retrying", 150));
    window.Send(WithText(UM_PROGRESS_TASK_PERCENT, "Short", 95));
    window.Send(Message(UM_PROGRESS_TASK_DONE));
    window.Send(Message(UM_PROGRESS_RUN, 0));
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
    window.Send(WithText(UM_PROGRESS_TASK_START, "Main Image", 0, c.total));
    for (std::int64_t bytes : c.posts) window.Post(Message(UM_PROGRESS_BYTES, bytes));
    window.Send(Message(UM_PROGRESS_TASK_DONE));
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
    plain.Send(Message(UM_PROGRESS_TASK_START, 0, 1));
    plain.Send(Message(UM_PROGRESS_TASK_DONE));
    plain.Send(WithText(UM_PROGRESS_TASK_START, "", 0, 1));
    plain.Send(Message(UM_PROGRESS_TASK_DONE));
    plain.Send(Message(UM_PROGRESS_TASK_DONE));  // done with no task started
    EXPECT_EQ(Output(),
              "[1/1] Unknown Task\n[1/1] Unknown Task done (00:00)\n"
              "[2/2] Unknown Task\n[2/2] Unknown Task done (00:00)\n"
              "[3/3] Unknow task done (00:00)\n");

    std::FILE* other = std::tmpfile();
    ASSERT_NE(other, nullptr);
    {
        TerminalProgressWindow live(other, m_clock, Rendering::Live);
        live.Send(Message(UM_PROGRESS_TASK_START, 0, 1));
    }
    std::rewind(other);
    char buffer[128] = {};
    EXPECT_STREQ(std::fgets(buffer, sizeof(buffer), other), "\r[1/1] Unknown Task 0% 00:00");
    std::fclose(other);
}

TEST_F(TerminalProgressTest, CounterGrowsWhenMoreTasksFinishThanAnnounced) {
    auto& window = Open(Rendering::Plain);
    window.Send(Message(UM_PROGRESS_RUN, 2));
    for (const char* name : {"A", "B", "C"}) {
        window.Send(WithText(UM_PROGRESS_TASK_START, name, 0, 1));
        window.Send(Message(UM_PROGRESS_TASK_DONE));
    }
    window.Send(Message(UM_PROGRESS_RUN, 0));
    EXPECT_EQ(Output(),
              "Tasks 0/2\n"
              "[1/2] A\n[1/2] A done (00:00)\n"
              "[2/2] B\n[2/2] B done (00:00)\n"
              "[3/3] C\n[3/3] C done (00:00)\n"
              "Done: Tasks 3/3, 00:00\n");
}

TEST_F(TerminalProgressTest, ClosedWindowAnswersTwoAndShowsNothingMore) {
    auto& window = Open(Rendering::Live);
    window.Send(WithText(UM_PROGRESS_TASK_START, "Backup files", 0, 1));
    EXPECT_EQ(window.Send(Message(UM_PROGRESS_CLOSE)), 2);
    const std::string closed = Output();
    EXPECT_EQ(closed, "\r[1/1] Backup files 0% 00:00\n");  // the live line is ended
    for (unsigned id : {UM_PROGRESS_PING, UM_PROGRESS_TASK_PERCENT, UM_PROGRESS_TASK_DONE,
                        UM_PROGRESS_RUN, UM_PROGRESS_CLOSE})
        EXPECT_EQ(window.Send(Message(id, 1)), 2) << id;
    EXPECT_EQ(window.Send(WithText(UM_PROGRESS_TASK_START, "Restore files", 0, 1)), 2);
    window.Post(Message(UM_PROGRESS_BYTES, 10));
    EXPECT_EQ(Output(), closed);
}

TEST_F(TerminalProgressTest, PostedCloseClosesToo) {
    auto& window = Open(Rendering::Plain);
    window.Post(Message(UM_PROGRESS_CLOSE));
    EXPECT_EQ(window.Send(Message(UM_PROGRESS_PING)), 2);
    EXPECT_EQ(Output(), "");
}

TEST_F(TerminalProgressTest, BytesPostedFromAnotherThreadWhileSending) {
    auto& window = Open(Rendering::Plain);
    window.Send(WithText(UM_PROGRESS_TASK_START, "Main Image", 0, 1000000000));
    std::thread poster([&window] {
        for (std::int64_t bytes = 1; bytes <= 2000; ++bytes)
            window.Post(Message(UM_PROGRESS_BYTES, bytes));
    });
    for (int i = 0; i < 2000; ++i)
        EXPECT_EQ(window.Send(Message(UM_PROGRESS_TASK_PERCENT, i % 100)), 1);
    poster.join();
    window.Send(Message(UM_PROGRESS_TASK_DONE));
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
    EXPECT_EQ(first->Send(Message(UM_PROGRESS_CLOSE)), 2);
    EXPECT_EQ(second->Send(Message(UM_PROGRESS_RUN, 4)), 1);  // the first one's close is its own
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
