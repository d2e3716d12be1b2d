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
    bool Send(unsigned id, std::int64_t w = 0) {
        return ProgressProtocol(*m_app).SendProgress(id, w, 0);
    }
};

TEST_F(ProgressProtocolTest, WithoutWindowEveryMessageGoesOnAndNothingIsLogged) {
    for (unsigned id : {UM_PROGRESS_RUN, UM_PROGRESS_TASK_START, UM_PROGRESS_CLOSE})
        EXPECT_TRUE(Send(id));
    EXPECT_FALSE(Logged("Got IDCANCEL from Progress Dlg"));
}

TEST_F(ProgressProtocolTest, CancelIsSeenOnceAndStopsAllFurtherSends) {
    m_app->m_progressWnd = m_window;
    EXPECT_TRUE(Send(UM_PROGRESS_TASK_START));
    m_window->closed = true;  // the operator pressed Cancel
    EXPECT_FALSE(Send(UM_PROGRESS_TASK_PERCENT, 10));
    const size_t sentAfterCancel = m_window->sent.size();
    EXPECT_FALSE(Send(UM_PROGRESS_TASK_PERCENT, 20));
    EXPECT_FALSE(Send(UM_PROGRESS_TASK_DONE));
    EXPECT_EQ(m_window->sent.size(), sentAfterCancel);
    EXPECT_EQ(m_window->sent.back().id, UM_PROGRESS_CLOSE);  // told once more to close
    EXPECT_FALSE(m_app->m_updateRunning);
    EXPECT_EQ(m_app->m_progressWnd, nullptr);
    EXPECT_EQ(CountLogged("Got IDCANCEL from Progress Dlg"), 1);
}

TEST_F(ProgressProtocolTest, ClosingThroughTheProtocolCountsAsCancel) {
    m_app->m_progressWnd = m_window;
    EXPECT_FALSE(Send(UM_PROGRESS_CLOSE));
    EXPECT_TRUE(m_window->closed);
    EXPECT_FALSE(Send(UM_PROGRESS_TASK_DONE));
    EXPECT_EQ(CountLogged("Got IDCANCEL from Progress Dlg"), 1);
}

TEST_F(ProgressProtocolTest, NotRunningSendsNothing) {
    m_app->m_progressWnd = m_window;
    m_app->m_updateRunning = false;
    EXPECT_FALSE(Send(UM_PROGRESS_RUN, 3));
    EXPECT_TRUE(m_window->sent.empty());
}

TEST_F(ProgressProtocolTest, StartSendsTheCaptionAndTextsTravelWithTheirMessage) {
    UseWindow();
    m_app->Job().target.address = "10.1.2.3";
    ProgressProtocol protocol(*m_app);
    protocol.StartProgressWindow();
    ASSERT_EQ(m_window->sent.size(), 1u);
    EXPECT_EQ(m_window->sent[0].id, UM_PROGRESS_CAPTION);
    EXPECT_EQ(m_window->sent[0].text, "-10.1.2.3");
    EXPECT_TRUE(protocol.SendProgress(UM_PROGRESS_TASK_START, 0, 1234, "Main Image"));
    EXPECT_EQ(m_window->sent[1].text, "Main Image");
    EXPECT_EQ(m_window->sent[1].lParam, 1234);
}

}  // namespace
}  // namespace quillmarch::test
