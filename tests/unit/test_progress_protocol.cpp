// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "core/progress/ProgressProtocol.h"
#include "support/FakeAppFixture.h"

namespace quillmarch::test {
namespace {

class ProgressProtocolTest : public FakeAppFixture {
protected:
    void SetUp() override {
        FakeAppFixture::SetUp();
        StartLog();
        m_app->m_updateRunning = true;
    }
    ProgressProtocol Progress() { return ProgressProtocol(*m_app); }
};

TEST_F(ProgressProtocolTest, WithoutWindowEveryCallGoesOnAndNothingIsLogged) {
    EXPECT_TRUE(Progress().RunStarted(3, 0));
    EXPECT_TRUE(Progress().TaskStarted("Main Image", kStepTaskBytes));
    EXPECT_TRUE(Progress().Percent(10));
    EXPECT_TRUE(Progress().Percent(20, "Update Mode - Retrying"));
    EXPECT_TRUE(Progress().TaskDone());
    EXPECT_TRUE(Progress().RunEnded());
    EXPECT_TRUE(Progress().Close());
    EXPECT_FALSE(Logged("Got IDCANCEL from Progress Dlg"));
}

TEST_F(ProgressProtocolTest, CancelIsSeenOnceAndStopsAllFurtherSends) {
    m_app->m_progressWnd = m_window;
    EXPECT_TRUE(Progress().TaskStarted("Main Image", kStepTaskBytes));
    m_window->closed = true;  // the operator pressed Cancel
    EXPECT_FALSE(Progress().Percent(10));
    const size_t sentAfterCancel = m_window->sent.size();
    EXPECT_FALSE(Progress().Percent(20));
    EXPECT_FALSE(Progress().TaskDone());
    EXPECT_EQ(m_window->sent.size(), sentAfterCancel);
    EXPECT_EQ(m_window->sent.back().call, ProgressCall::Close);  // told once more to close
    EXPECT_FALSE(m_app->m_updateRunning);
    EXPECT_EQ(m_app->m_progressWnd, nullptr);
    EXPECT_EQ(CountLogged("Got IDCANCEL from Progress Dlg"), 1);
}

TEST_F(ProgressProtocolTest, ClosingThroughTheProtocolCountsAsCancel) {
    m_app->m_progressWnd = m_window;
    EXPECT_FALSE(Progress().Close());
    EXPECT_TRUE(m_window->closed);
    EXPECT_FALSE(Progress().TaskDone());
    EXPECT_EQ(CountLogged("Got IDCANCEL from Progress Dlg"), 1);
}

TEST_F(ProgressProtocolTest, ALostDisplayDropsTheWindowButTheRunGoesOn) {
    m_app->m_progressWnd = m_window;
    EXPECT_TRUE(Progress().TaskStarted("Main Image", kStepTaskBytes));
    m_window->lost = true;
    EXPECT_TRUE(Progress().Percent(10));
    const size_t sentAfterLoss = m_window->sent.size();
    EXPECT_TRUE(Progress().TaskDone());
    EXPECT_TRUE(Progress().RunEnded());
    EXPECT_EQ(m_window->sent.size(), sentAfterLoss);  // nothing more to a window that is gone
    EXPECT_NE(m_window->sent.back().call, ProgressCall::Close);
    EXPECT_TRUE(m_app->m_updateRunning);
    EXPECT_EQ(m_app->m_progressWnd, nullptr);
    EXPECT_EQ(CountLogged("The display went away: the run goes on without a window"), 1);
    EXPECT_FALSE(Logged("Got IDCANCEL from Progress Dlg"));
}

TEST_F(ProgressProtocolTest, NotRunningSendsNothing) {
    m_app->m_progressWnd = m_window;
    m_app->m_updateRunning = false;
    EXPECT_FALSE(Progress().RunStarted(3, 0));
    EXPECT_TRUE(m_window->sent.empty());
}

TEST_F(ProgressProtocolTest, StartSendsTheCaptionAndTextsTravelWithTheirCall) {
    UseWindow();
    m_app->Job().target.address = "10.1.2.3";
    ProgressProtocol protocol(*m_app);
    protocol.StartProgressWindow();
    ASSERT_EQ(m_window->sent.size(), 1u);
    EXPECT_EQ(m_window->sent[0].call, ProgressCall::Caption);
    EXPECT_EQ(m_window->sent[0].text, "-10.1.2.3");
    EXPECT_TRUE(protocol.TaskStarted("Main Image", 1234));
    EXPECT_EQ(m_window->sent[1].text, "Main Image");
    EXPECT_EQ(m_window->sent[1].totalBytes, 1234);
    EXPECT_TRUE(protocol.Percent(98, "Update Mode - Retrying"));
    EXPECT_EQ(m_window->sent[2].value, 98);
    EXPECT_EQ(m_window->sent[2].text, "Update Mode - Retrying");
    EXPECT_TRUE(protocol.Percent(99));
    EXPECT_FALSE(m_window->sent[3].text.has_value());  // no replacement: the name stays
}

}  // namespace
}  // namespace quillmarch::test
