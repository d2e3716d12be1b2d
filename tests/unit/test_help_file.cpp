// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

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

#ifndef _WIN32
// Never the shared temporary folder, where another user could plant the page first.
TEST_F(HelpFileTest, AFolderThatCannotTakeThePageFallsBackToTheUsersPrivateCache) {
    // A plain file where the folder should be: nothing can be created inside it.
    std::ofstream(m_dir.Path() / "blocker") << "x";
    ScopedTempDir cache;
    const std::string saved = platform::EnvironmentVariable("XDG_CACHE_HOME");
    setenv("XDG_CACHE_HOME", cache.Str().c_str(), 1);
    for (const std::string& help :
         {(m_dir.Path() / "blocker" / "Quillmarch.hlp").string(), std::string()}) {
        m_app.m_helpFilePath = help;
        ASSERT_TRUE(HelpFile(m_app).ExtractHelpFile()) << help;
        const fs::path page = cache.Path() / "quillmarch" / HelpFile::kFileName;
        EXPECT_EQ(m_app.m_helpFilePath, page.string());
        EXPECT_EQ(Read(page), Read(fs::path(QUILLMARCH_PAYLOAD_DIR) / "199.bin"));
    }
    setenv("XDG_CACHE_HOME", saved.c_str(), 1);
    if (saved.empty()) unsetenv("XDG_CACHE_HOME");
}
#endif

// A package's page is opened where it lies: nothing is written beside it or the program.
TEST_F(HelpFileTest, TheInstalledPageIsOpenedInPlace) {
    const fs::path page = m_dir.Path() / "share" / "doc" / "quillmarch" / "help" / "index.html";
    fs::create_directories(page.parent_path());
    fs::create_directories(m_dir.Path() / "bin");
    std::ofstream(page) << "installed";
    const std::string found = HelpFile::InstalledPage((m_dir.Path() / "bin").string());
    EXPECT_EQ(fs::path(found), page);
    m_app.m_helpFilePath = found;
    ASSERT_TRUE(HelpFile(m_app).ExtractHelpFile());
    EXPECT_EQ(m_app.m_helpFilePath, found);
    EXPECT_EQ(Read(page), "installed");
    EXPECT_FALSE(fs::exists(page.parent_path() / HelpFile::kFileName));
    EXPECT_FALSE(fs::exists(m_dir.Path() / "bin" / HelpFile::kFileName));
    EXPECT_TRUE(HelpFile::InstalledPage((m_dir.Path() / "nowhere" / "bin").string()).empty());
}

}  // namespace
}  // namespace quillmarch::test
