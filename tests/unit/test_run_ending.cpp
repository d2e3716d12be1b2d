// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <ostream>

#include "core/run/RunEnding.h"

namespace quillmarch::test {
namespace {

struct SEndingCase {
    const char* name;
    RunEnding::SFacts facts;
    const char* sentence;
};

void PrintTo(const SEndingCase& c, std::ostream* out) {
    *out << c.name;
}

class RunEndingTest : public ::testing::TestWithParam<SEndingCase> {};

// One sentence per ending: what worked and was checked, or why it failed and where the system
// was left. The log's own shorthand never reaches the operator unexplained.
TEST_P(RunEndingTest, SaysHowTheRunEnded) {
    EXPECT_EQ(RunEnding::Sentence(GetParam().facts), GetParam().sentence);
}

using Mode = SystemEndMode;

INSTANTIATE_TEST_SUITE_P(
    Endings, RunEndingTest,
    ::testing::Values(
        SEndingCase{"Verified",
                    {true, "Verified: KDV 18 is back in normal mode with version \"9.0.6\"", false,
                     "", "", Mode::kUntouched},
                    "The update succeeded: KDV 18 is back in normal mode with version \"9.0.6\"."},
        SEndingCase{"NoImageNothingToCheck",
                    {true, "", false, "", "/tmp/a.log", Mode::kUntouched},
                    "The update succeeded."},
        SEndingCase{"NotVerified",
                    {true, "", true, "", "", Mode::kUntouched},
                    "The update succeeded, but the system was not checked afterwards "
                    "(--no-verify)."},
        SEndingCase{"NeverBackAfterTheSwitch",
                    {false, "", false, "Could not connect to Orbiscope", "", Mode::kUnknown},
                    "The update failed: the system did not answer after its restart into update "
                    "mode. The state of the system is unknown: it could not be reached to send "
                    "it back to normal mode. Check it before using it."},
        SEndingCase{"RefusedImageSentBack",
                    {false, "", false, "Put Image Failure", "", Mode::kNormal},
                    "The update failed: the system did not take the whole image. The system was "
                    "sent back to normal mode; it runs the software it had."},
        SEndingCase{"StillInUpdateMode",
                    {false, "", false, "System not in update mode", "", Mode::kUpdateMode},
                    "The update failed: the system did not switch to update mode. The system is "
                    "still in update mode: run the update again to finish it."},
        SEndingCase{"VerificationFound",
                    {false, "", false, "Verification failed: the system runs version \"9.0.5\"", "",
                     Mode::kUntouched},
                    "The update failed: the check after the update found that the system runs "
                    "version \"9.0.5\"."},
        SEndingCase{
            "OtherRecordAsItIs",
            {false, "", false, "Could not connect to system: Wrong password", "", Mode::kUntouched},
            "The update failed: Could not connect to system: Wrong password."},
        SEndingCase{"NoReasonNamesTheLog",
                    {false, "", false, "", "/tmp/a.log", Mode::kUntouched},
                    "The update failed: see the log /tmp/a.log."},
        SEndingCase{"NoReasonNoLog", {}, "The update failed."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmarch::test
