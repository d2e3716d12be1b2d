#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/app/CQuillmarch6App.h"
#include "core/app/CRealClock.h"
#include "support/FakeClock.h"
#include "support/FakeLink.h"
#include "support/FakeSystem.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"

namespace quillmarch {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::ScopedCurrentDir;
using test::ScopedTempDir;

// Start-up in a folder of its own, with the sample payloads and a fake link.
class AppStartupTest : public ::testing::Test {
protected:
    AppStartupTest() : m_cwd(m_dir.Path()), m_app(m_clock, m_box) {
        m_app.m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
        m_app.m_log.SetStampSource([] { return std::string("T"); });
        m_app.m_log.SetTempDirectory(m_dir.Str("fallback"));
        m_app.SetLinkFactory(
            [this](CQuillmarch6App& app, bool secure) -> std::unique_ptr<CFTPBase> {
                ++m_nLinksMade;
                return std::make_unique<test::FakeLink>(app, m_system, secure);
            });
    }

    ScopedTempDir m_dir;
    ScopedCurrentDir m_cwd;
    test::FakeSystem m_system;
    test::FakeClock m_clock;
    test::RecordingMessageBox m_box;
    CQuillmarch6App m_app;
    int m_nLinksMade = 0;
};

TEST_F(AppStartupTest, NoArgumentsBuildsEverythingButOpensNoLog) {
    EXPECT_FALSE(m_app.Startup("quillmarch"));
    EXPECT_EQ(m_app.m_catalogue.GetSize(), CSystemInformationArray::kRowCount);
    EXPECT_FALSE(m_app.ImagePresent(0));
    EXPECT_TRUE(m_app.ImagePresent(1));
    EXPECT_FALSE(m_app.ImagePresent(13));
    EXPECT_EQ(m_nLinksMade, 1);
    ASSERT_NE(m_app.m_pLink, nullptr);
    EXPECT_FALSE(m_app.m_log.IsOpen());
    EXPECT_TRUE(fs::is_empty(m_dir.Path()));
    EXPECT_TRUE(m_box.shown.empty());
}

TEST_F(AppStartupTest, JobDefaultsAfterAnAddressArgument) {
    EXPECT_TRUE(m_app.Startup("quillmarch 10.1.2.3"));
    EXPECT_TRUE(m_app.m_bUploadImage);
    EXPECT_TRUE(m_app.m_bRetainDirectory);
    EXPECT_TRUE(m_app.m_bRetainSystemSettings);
    EXPECT_TRUE(m_app.m_bRetainSampleSites);
    EXPECT_TRUE(m_app.m_bRetainCallDetail);
    EXPECT_TRUE(m_app.m_bUpdateSoftware);
    EXPECT_EQ(m_app.m_nLanguage, 0);
    EXPECT_EQ(m_app.m_nLogLevel, 0);
    EXPECT_EQ(m_app.m_nSystemType, CSystemInformationArray::kUnknown);
    const std::string log = ReadFile(m_dir.Path() / "10_1_2_3.log");
    EXPECT_NE(log.find("\tSystem Type      = \r\n"), std::string::npos) << log;
}

TEST_F(AppStartupTest, OnlyQuietOpensDotLogWithDump) {
    EXPECT_TRUE(m_app.Startup("quillmarch -q"));
    EXPECT_TRUE(m_app.m_strAddress.empty());
    const std::string log = ReadFile(m_dir.Path() / ".log");
    EXPECT_EQ(log.rfind("T : Command Line: -q\nT : Quillmarch\r\n", 0), 0u) << log;
    EXPECT_NE(log.find("\tQuiteMode        = TRUE\r\n"), std::string::npos) << log;
}

TEST_F(AppStartupTest, QuotedProgramQuietAddress) {
    EXPECT_TRUE(m_app.Startup(R"("C:\Program Files\Tessary\quillmarch.exe" -q 10.1.2.3)"));
    EXPECT_TRUE(m_app.m_bQuiet);
    EXPECT_EQ(m_app.m_strAddress, "10.1.2.3");
    const std::string log = ReadFile(m_dir.Path() / "10_1_2_3.log");
    EXPECT_EQ(log.rfind("T : Command Line:  -q 10.1.2.3\n", 0), 0u) << log;
}

TEST_F(AppStartupTest, PassiveOptionReachesTheLink) {
    EXPECT_TRUE(m_app.Startup("quillmarch -m 10.1.2.3"));
    ASSERT_NE(m_app.m_pLink, nullptr);
    EXPECT_TRUE(m_app.m_pLink->GetPassive());
}

TEST_F(AppStartupTest, FailedLinkIsReportedAndStartupGoesOn) {
    m_app.SetLinkFactory([](CQuillmarch6App&, bool) { return std::unique_ptr<CFTPBase>(); });
    EXPECT_TRUE(m_app.Startup("quillmarch -q 10.1.2.3"));
    EXPECT_EQ(m_app.m_pLink, nullptr);
    // A plain box, shown even in a quiet run.
    ASSERT_EQ(m_box.shown.size(), 1u);
    EXPECT_EQ(m_box.shown[0].text, "Failed to create FTP control. Please reboot and try again.");
}

TEST_F(AppStartupTest, QuietMessageGoesToTheLogAndAnswersOk) {
    ASSERT_TRUE(m_app.Startup("quillmarch -q 10.1.2.3"));
    m_box.answer = IDCANCEL;
    const std::string text =
        "Could not re-connect to system.\nPlease make sure system is operational.";
    EXPECT_EQ(m_app.ShowMessage(text, "Caption", MB_OKCANCEL), IDOK);
    EXPECT_TRUE(m_box.shown.empty());
    const std::string log = ReadFile(m_dir.Path() / "10_1_2_3.log");
    EXPECT_NE(log.find("T : MessageBox(" + text + ")\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Caption"), std::string::npos);
}

TEST_F(AppStartupTest, NotQuietMessageIsShownWithDefaultCaption) {
    m_box.answer = IDNO;
    EXPECT_EQ(m_app.ShowMessage("Question?", "", MB_YESNO), IDNO);
    EXPECT_EQ(m_app.ShowMessage("Note", "Own caption", MB_OK), IDNO);
    ASSERT_EQ(m_box.shown.size(), 2u);
    EXPECT_EQ(m_box.shown[0].text, "Question?");
    EXPECT_EQ(m_box.shown[0].caption, "Quillmarch");
    EXPECT_EQ(m_box.shown[0].style, MB_YESNO);
    EXPECT_EQ(m_box.shown[1].caption, "Own caption");
}

struct SScaleCase {
    const char* text;
    double scale;
};

TEST(RealClockScale, OnlyPositiveFiniteNumbersCount) {
    const SScaleCase cases[] = {
        {"", 1.0},    {"0.01", 0.01}, {"2", 2.0},   {"1e-3", 0.001}, {"0", 1.0},     {"-2", 1.0},
        {"abc", 1.0}, {"2x", 1.0},    {"inf", 1.0}, {"nan", 1.0},    {"1e999", 1.0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(CRealClock::ParseScale(c.text), c.scale) << c.text;
    EXPECT_DOUBLE_EQ(CRealClock(0.0).Scale(), 1.0);
    EXPECT_DOUBLE_EQ(CRealClock(-3.0).Scale(), 1.0);
    EXPECT_DOUBLE_EQ(CRealClock(0.5).Scale(), 0.5);
}

}  // namespace
}  // namespace quillmarch
