// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The verification (on by default) against the fake system in virtual time: the waits around
// restarts end as soon as the system is back, and every wait stays within its bound when it
// never is.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <tuple>

#include "core/run/SystemFactsReader.h"
#include "core/run/UpdateRun.h"
#include "support/FakeAppFixture.h"
#include "support/FakeSystemWiring.h"

namespace quillmarch::test {
namespace {

using std::chrono::milliseconds;

class VerificationTest : public FakeAppFixture {
protected:
    void SetUp() override {
        FakeAppFixture::SetUp();
        StartLog();  // verification is the default: nothing asks for it
        m_app->Job().tasks.updateSoftware = true;
        // The version the sample pack's manifest names for every image.
        m_system.files["systemsoftwareversion.dat"] = kSampleVersion;
        // The system is away for `away` looks after each restart, then answers.
        m_app->SetSystemProbe([this] {
            ++m_looks;
            if (m_system.restarts != m_seenRestarts) {
                m_seenRestarts = m_system.restarts;
                m_awayLeft = m_away;
            }
            if (m_awayLeft < 0) return false;  // never back
            return m_awayLeft-- <= 0;
        });
    }

    bool Run() { return UpdateRun(*m_app).RunUpdate(0); }

    int m_away = 3;
    int m_awayLeft = 0;
    int m_seenRestarts = 0;
    int m_looks = 0;
};

TEST_F(VerificationTest, AVerifiedUpdateEndsSoonAfterTheSystemIsBack) {
    ASSERT_TRUE(Run());
    EXPECT_TRUE(Logged("Verified: KDV 18 is back in normal mode with version \"" +
                       SystemFactsReader::InstalledVersion(*m_app) + "\""));
    // Notice-free fake: the 5 s before the image, two restarts seen away for 3 looks each;
    // today's run waits 20 s + 294 s here.
    EXPECT_LT(m_clock.Total(), milliseconds(15000));
    EXPECT_GT(m_looks, 6);
}

TEST_F(VerificationTest, ASystemThatNeverComesBackFailsAtTheTimeOut) {
    m_app->Job().options.verifyTimeoutSeconds = 120;
    m_system.onCommand = [this](const std::string& command) {
        if (command == "crc 0x36EF779E") m_away = -1;  // the image's restart never ends
    };
    EXPECT_FALSE(Run());
    EXPECT_TRUE(Logged("Verification failed: the system did not come back within 120 s"));
    EXPECT_TRUE(Logged("#### DONE : failure"));
    // The verification's share of the waiting is its time-out, not more.
    EXPECT_LT(m_clock.Total(), milliseconds(120000 + 15000));
    EXPECT_GE(m_clock.Total(), milliseconds(120000));
}

TEST_F(VerificationTest, AnOldVersionFailsTheRun) {
    m_system.files["systemsoftwareversion.dat"] = "9.0.5";
    EXPECT_FALSE(Run());
    EXPECT_TRUE(Logged("Verification failed: the system runs version \"9.0.5\", not \"" +
                       SystemFactsReader::InstalledVersion(*m_app) + "\""));
}

TEST_F(VerificationTest, AVersionThatCannotBeReadIsNotAnEmptyVersion) {
    m_system.onCommand = [this](const std::string& command) {
        if (command == "crc 0x36EF779E")
            m_system.failingDownloads.push_back("systemsoftwareversion.dat");
    };
    EXPECT_FALSE(Run());
    EXPECT_TRUE(Logged("Could not read systemsoftwareversion.dat from the system"));
    EXPECT_TRUE(
        Logged("Verification failed: the system's software version could not be read "
               "(see the log)"));
}

TEST_F(VerificationTest, WithoutVerificationTheWaitsStillEndWhenTheSystemIsBack) {
    m_app->Job().options.verify = false;
    ASSERT_TRUE(Run());
    for (const std::string& record : LogRecords()) EXPECT_NE(record.rfind("Verifi", 0), 0u);
    EXPECT_TRUE(
        Logged("Not verified (--no-verify): the system answers again; its mode and "
               "version were not checked"));
    EXPECT_TRUE(m_app->m_imageUnchecked);
    EXPECT_TRUE(Logged("Waited 1.0 s for the restart after the image (limit 900 s)"));
    EXPECT_EQ(m_system.logons, 2);  // before the switch and after it; none after the image
    // Today's fixed timeline: 20 s + 282 s.
    EXPECT_LT(m_clock.Total(), milliseconds(15000));
}

// A system that takes R seconds to restart, both times: a run takes about 2R, plus its fixed
// pauses (5 s before the image, 0.5 s after the retain record), plus at most a look's step
// (a quarter second) at each restart. Virtual time.
class SlowRestartTest : public VerificationTest,
                        public ::testing::WithParamInterface<std::tuple<int, bool>> {
protected:
    void SetUp() override {
        VerificationTest::SetUp();
        m_app->Job().options.verify = std::get<1>(GetParam());
        m_app->SetSystemProbe([this] {
            if (m_system.restarts != m_seenRestarts) {
                m_seenRestarts = m_system.restarts;
                m_restartAt = m_clock.Now();
            }
            return m_seenRestarts == 0 || m_clock.Now() - m_restartAt >= Restart();
        });
    }
    milliseconds Restart() const { return milliseconds(std::get<0>(GetParam()) * 1000); }
    milliseconds m_restartAt{0};
};

TEST_P(SlowRestartTest, VerifiedOrNotARunTakesTheTimeTheSystemTakes) {
    ASSERT_TRUE(Run());
    EXPECT_EQ(Logged("Verified: KDV 18 is back in normal mode with version \"" +
                     SystemFactsReader::InstalledVersion(*m_app) + "\""),
              m_app->Job().options.verify);
    const milliseconds fixed{5500};
    EXPECT_GE(m_clock.Total(), 2 * Restart() + fixed);
    EXPECT_LE(m_clock.Total(), 2 * Restart() + fixed + milliseconds(2 * 250));
}

INSTANTIATE_TEST_SUITE_P(Restarts, SlowRestartTest,
                         ::testing::Combine(::testing::Values(15, 60, 180), ::testing::Bool()),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param)) + "s" +
                                    (std::get<1>(info.param) ? "Verified" : "Unchecked");
                         });

}  // namespace
}  // namespace quillmarch::test
