#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/job/CommandLine.h"
#include "core/job/RunContext.h"
#include "core/log/UpdateLog.h"
#include "core/run/SystemLock.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"

namespace quillmarch {
namespace {

// Every spelling of one system must name one lock, or two runs update it at once.
TEST(SystemLockKey, SpellingsOfOneSystemShareOneKey) {
    const std::vector<std::string> loopback21 = {
        "127.0.0.1", "127.0.0.1:21",  "localhost:21",    "LOCALHOST",
        "127.1",     "2130706433:21", "127.000.000.001", "[::ffff:127.0.0.1]:21"};
    for (const std::string& spelling : loopback21)
        EXPECT_EQ(SystemLock::Key(spelling), "127.0.0.1 21") << spelling;
    EXPECT_EQ(SystemLock::Key("Room.Example:2121"), SystemLock::Key("room.example:2121"));
}

TEST(SystemLockKey, DifferentSystemsKeepDifferentKeys) {
    const std::vector<std::pair<std::string, std::string>> apart = {
        {"127.0.0.1:21", "127.0.0.1:2121"},
        {"127.0.0.1", "127.0.0.2"},
        {"room1.example", "room2.example"},
        {"[::1]:21", "127.0.0.1:21"},
    };
    for (const auto& [a, b] : apart) EXPECT_NE(SystemLock::Key(a), SystemLock::Key(b)) << a;
    EXPECT_EQ(SystemLock::PathIn("d", "LOCALHOST:21"), SystemLock::PathIn("d", "127.1"));
}

TEST(LogName, LongDnsNamesAreShortenedAndStayApart) {
    const std::string label(63, 'a');
    const std::string longName = label + "." + label + "." + label + "." + std::string(61, 'b');
    ASSERT_EQ(longName.size(), 253u);
    const std::string one = CommandLine::LogName(longName + ":2121");
    const std::string two = CommandLine::LogName(longName + ":2122");
    EXPECT_LE(one.size(), CommandLine::kMaxLogName);
    EXPECT_NE(one, two);
    EXPECT_EQ(one.substr(one.size() - 4), ".log");
    EXPECT_EQ(CommandLine::LogName("10.1.2.3"), "10_1_2_3.log");
}

TEST(LogRecognition, OnlyThisProgramsRecordsCount) {
    const std::vector<std::pair<std::string, bool>> heads = {
        {"", true},
        {"12/10/26 22:23:47 : Command Line: -q h\n", true},
        {"T : Command Line: -q\n", true},
        {"rooms on floor 3\nA : b", false},
        {" : starts with the mark", false},
        {std::string(60, 'x') + " : too far", false},
    };
    for (const auto& [head, log] : heads) EXPECT_EQ(UpdateLog::LooksLikeLog(head), log) << head;
}

class OptionTwiceTest : public ::testing::Test {
protected:
    test::FakeClock m_clock;
    test::RecordingMessageBox m_box;
};

TEST_F(OptionTwiceTest, AnOptionGivenTwiceInAnySpellingIsRefused) {
    const std::vector<std::vector<std::string>> twice = {
        {"-q", "-q", "h"},      {"-q", "-Q", "h"},        {"-KS", "-ks", "h"},
        {"-q", "--quiet", "h"}, {"-m", "--passive", "h"}, {"-fa", "-FA", "h"},
    };
    for (const auto& args : twice) {
        RunContext app(m_clock, m_box);
        std::string error;
        EXPECT_FALSE(CommandLine::Parse(app, args, error)) << args[0] << " " << args[1];
        EXPECT_NE(error.find("is given twice"), std::string::npos) << error;
    }
}

TEST_F(OptionTwiceTest, AnUnknownOptionIsNamedWithoutItsValue) {
    for (const std::string arg : {"--password=S3cr3t", "--pass:S3cr3t", "-x=S3cr3t"}) {
        RunContext app(m_clock, m_box);
        std::string error;
        EXPECT_FALSE(CommandLine::Parse(app, {arg, "h"}, error));
        EXPECT_NE(error.find("unknown option"), std::string::npos) << error;
        EXPECT_EQ(error.find("S3cr3t"), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace quillmarch
