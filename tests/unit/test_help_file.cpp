#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/job/RunContext.h"
#include "core/platform/Platform.h"
#include "core/ui/HelpFile.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"

namespace quillmarch::test {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class HelpFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_app.m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
        m_app.m_helpFilePath = (m_dir.Path() / "Quillmarch.hlp").string();
    }
    ScopedTempDir m_dir;
    FakeClock m_clock;
    RecordingMessageBox m_box;
    RunContext m_app{m_clock, m_box};
};

TEST_F(HelpFileTest, FirstRequestWritesThePageNextToTheProgramAndLaterOnesUseIt) {
    ASSERT_TRUE(HelpFile(m_app).ExtractHelpFile());
    const fs::path page = m_dir.Path() / HelpFile::kFileName;
    EXPECT_EQ(m_app.m_helpFilePath, page.string());
    EXPECT_EQ(Read(page), Read(fs::path(QUILLMARCH_PAYLOAD_DIR) / "199.bin"));

    std::ofstream(page, std::ios::trunc) << "kept";  // an existing page is not rewritten
    ASSERT_TRUE(HelpFile(m_app).ExtractHelpFile());
    EXPECT_EQ(Read(page), "kept");
    EXPECT_TRUE(m_box.shown.empty());
}

TEST_F(HelpFileTest, MissingPayloadShowsTheCorruptedFileMessage) {
    m_app.m_payloads.SetFolder((m_dir.Path() / "nowhere").string());
    EXPECT_FALSE(HelpFile(m_app).ExtractHelpFile());
    ASSERT_EQ(m_box.shown.size(), 1u);
    EXPECT_NE(m_box.shown[0].text.find("www.example.com"), std::string::npos);
}

TEST_F(HelpFileTest, UnwritableProgramFolderFallsBackToTheTemporaryFolder) {
    // A plain file where the program's folder should be: nothing can be created inside it.
    std::ofstream(m_dir.Path() / "blocker") << "x";
    m_app.m_helpFilePath = (m_dir.Path() / "blocker" / "Quillmarch.hlp").string();
    ASSERT_TRUE(HelpFile(m_app).ExtractHelpFile());
    const fs::path page = fs::path(platform::TempDirectory()) / HelpFile::kFileName;
    EXPECT_EQ(m_app.m_helpFilePath, page.string());
    EXPECT_TRUE(fs::exists(page));
    std::error_code ec;
    fs::remove(page, ec);
}

}  // namespace
}  // namespace quillmarch::test
