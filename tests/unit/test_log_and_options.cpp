// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/job/CommandLine.h"
#include "core/job/RunContext.h"
#include "core/log/UpdateLog.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"

namespace quillmarch {
namespace {

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
