// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Data safety around a flash erase and in everything taken from a system, on the fake system:
// a backup that is not whole never lets the erase happen, an erase is always followed by the
// restore, names from the system never leave the work folder, and reads into memory are bounded.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/device/SystemConnector.h"
#include "core/link/PlainFileName.h"
#include "core/platform/FileLock.h"
#include "core/platform/Platform.h"
#include "core/run/UpdateRun.h"
#include "core/util/TextUtil.h"
#include "support/FailingLocalFiles.h"
#include "support/FakeAppFixture.h"
#include "support/FakeSystemWiring.h"
#include "support/ScopedTempDir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace quillmarch::test {
namespace {

namespace fs = std::filesystem;

TEST(PlainFileName, OnlyNamesThatStayInTheirFolderPass) {
    const std::string longest(255, 'a');
    struct Case {
        std::string name;
        bool plain;
    };
    const Case cases[] = {
        {"friends.abk", true},
        {"room notes.txt", true},
        {"a.b.c.dat", true},
        {longest, true},
        {longest + "a", false},
        {"", false},
        {"..", false},
        {".", false},
        {"../x.dat", false},
        {"a..b.dat", false},
        {"/etc/passwd", false},
        {"sub/x.abk", false},
        {"..\\x.dat", false},
        {"C:x.dat", false},
        {"C:\\x.dat", false},
        {"file.abk:stream", false},
        {"bad\nname.dat", false},
        {"esc\x1b.abk", false},
        {std::string("nul\0x", 5), false},
        {"del\x7f.abk", false},
        {"trailing.", false},
        {"trailing ", false},
        {"CON", false},
        {"con.abk", false},
        {"NUL.dat", false},
        {"com1.dat", false},
        {"LPT9.abk", false},
        {"COM10.dat", true},
        {"console.abk", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ftp::IsPlainFileName(c.name), c.plain) << text::ForLog(c.name);
    }
}

// The folder of the test with whatever is in it, for "nothing was written elsewhere".
std::vector<std::string> Entries(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(dir, ec))
        names.push_back(fs::relative(entry.path(), dir).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

bool AnyStartsWith(const std::vector<std::string>& names, const std::string& prefix) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& name) { return name.rfind(prefix, 0) == 0; });
}

class FlashEraseSafetyTest : public FakeAppFixture {
protected:
    void SetUp() override {
        FakeAppFixture::SetUp();
        StartLog();
        m_app->Job().tasks.updateSoftware = false;
        m_app->Job().tasks.eraseFlash = true;
        m_system.files["friends.abk"] = "<entry>friend</entry>\n";
        m_system.files["speeds.choice"] = "384";
        m_system.files["sysname.dat"] = "Room";
        m_system.files["localcdr.csv"] = "call,1";
        m_system.files["gateway.dat"] = "10.0.0.1";  // as the update-mode switch leaves it
        m_before = m_system.files;
    }
    bool Run() { return UpdateRun(*m_app).RunUpdate(0); }
    bool LoggedWith(const std::string& start) {
        LogRecords();
        return AnyStartsWith(m_records, start);
    }
    // Work folders of runs against 127.0.0.1 in the test's folder.
    std::vector<std::string> WorkFolders() {
        std::vector<std::string> found;
        for (const auto& name : Entries(m_dir))
            if (name.rfind("127_0_0_1-", 0) == 0 && name.find('/') == std::string::npos)
                found.push_back(name);
        return found;
    }
    void ExpectNoEraseAndNormalMode() {
        EXPECT_EQ(m_system.CountCommand("ERFL"), 0);
        EXPECT_EQ(m_system.files, m_before);  // the system keeps every file
        // As after a cancelled erase: the update-mode request withdrawn, then the restart.
        EXPECT_GE(m_system.CountCommand("RSWU"), 1);
        ASSERT_FALSE(m_system.commands.empty());
        EXPECT_EQ(m_system.commands.back(), "BOOT");
        EXPECT_TRUE(m_system.normalMode);
        EXPECT_TRUE(Logged("#### DONE : failure"));
        EXPECT_TRUE(WorkFolders().empty());  // the copies of a refused backup are not kept
    }

    std::map<std::string, std::string> m_before;
};

TEST_F(FlashEraseSafetyTest, ASuccessfulRunRestoresEverythingAndRemovesItsFolder) {
    EXPECT_TRUE(Run());
    EXPECT_EQ(m_system.CountCommand("ERFL"), 1);
    for (const auto& [name, content] : m_before) EXPECT_EQ(m_system.files[name], content) << name;
    EXPECT_TRUE(WorkFolders().empty());
    EXPECT_TRUE(Logged("#### DONE : success"));
}

// A disk that fails at any step of writing a copy: the backup fails and nothing is erased.
TEST_F(FlashEraseSafetyTest, ALocalWriteFailureMeansNoErase) {
    struct Case {
        const char* what;
        SLocalFault fault;
    };
    const Case cases[] = {
        {"name refused", {SLocalFault::EWhere::kCreate, "sysname.dat"}},
        {"disk full at a write", {SLocalFault::EWhere::kWrite, "friends.abk"}},
        {"disk full at the flush", {SLocalFault::EWhere::kClose, "speeds.choice"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_system.commands.clear();
        m_system.normalMode = true;
        m_app->m_link->SetLocalFileOpener(FailingOpener(c.fault));
        StartLog();
        m_records.clear();
        EXPECT_FALSE(Run());
        ExpectNoEraseAndNormalMode();
        EXPECT_TRUE(
            LoggedWith("Backup failed: the copy of " + c.fault.name + " could not be written: "));
        EXPECT_FALSE(Logged("BackupFiles Complete."));
        EXPECT_TRUE(LoggedWith("MessageBox(The system's files could not all be saved"));
    }
}

TEST_F(FlashEraseSafetyTest, ATransferBrokenMidwayMeansNoErase) {
    m_system.failingDownloads = {"friends.abk"};
    EXPECT_FALSE(Run());
    ExpectNoEraseAndNormalMode();
    EXPECT_TRUE(LoggedWith("Backup failed: the file friends.abk could not be fetched"));
}

TEST_F(FlashEraseSafetyTest, MoreFilesThanASystemHoldsMeansNoErase) {
    for (std::size_t i = 0; i <= filelimit::kBackupFiles; ++i)
        m_system.files["book" + std::to_string(i) + ".abk"] = "x";
    m_before = m_system.files;
    EXPECT_FALSE(Run());
    ExpectNoEraseAndNormalMode();
    EXPECT_EQ(std::count_if(m_system.downloads.begin(), m_system.downloads.end(),
                            [](const std::string& name) { return name.find(".abk") != name.npos; }),
              0);
    EXPECT_TRUE(Logged("FTP: Listing refused - more than 2000 names"));
}

TEST_F(FlashEraseSafetyTest, ListedNamesThatLeaveTheFolderAreSkippedAndLogged) {
    const std::vector<std::string> hostile = {"../climb.abk",
                                              "/abs/olute.dat",
                                              "sub\\dir.abk",
                                              "C:drive.dat",
                                              "esc\x1b[2J.abk",
                                              std::string(300, 'n') + ".dat",
                                              std::string(70000, 'm') + ".abk"};
    for (const auto& name : hostile) m_system.files[name] = "planted";
    EXPECT_TRUE(Run());
    EXPECT_EQ(m_system.CountCommand("ERFL"), 1);
    for (const auto& name : hostile) {
        EXPECT_EQ(std::count(m_system.downloads.begin(), m_system.downloads.end(), name), 0)
            << text::ForLog(name);
        // Escaped, and cut to a record's length however long the name.
        EXPECT_TRUE(LoggedWith("Skipped a listed name that is not a plain file name: " +
                               text::ForLog(name).substr(0, 200)));
    }
    for (const auto& record : m_records) EXPECT_LT(record.size(), 1000u);
    EXPECT_TRUE(Logged("Skipped a listed name that is not a plain file name: esc\\e[2J.abk"));
    EXPECT_EQ(m_system.files["friends.abk"], m_before["friends.abk"]);
    EXPECT_FALSE(fs::exists(m_dir.parent_path() / "climb.abk"));
    EXPECT_FALSE(fs::exists("/abs/olute.dat"));
    // Nothing is left in the test's folder but the log and the lock: the run's folder went.
    for (const auto& entry : Entries(m_dir))
        EXPECT_TRUE(entry.rfind("run", 0) == 0 || entry.rfind("locks", 0) == 0) << entry;
}

// Files an earlier run left, or another system that had this address, never reach the system.
TEST_F(FlashEraseSafetyTest, LeftoversOfEarlierRunsAreNeverRestored) {
    for (const char* folder : {"127_0_0_1", "127_0_0_1-oldrun"}) {
        fs::create_directories(m_dir / folder);
        WriteFile(m_dir / folder / "stranger.abk", "<entry>someone else</entry>\n");
    }
    EXPECT_TRUE(Run());
    const auto names = m_system.UploadNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "stranger.abk"), 0);
    EXPECT_EQ(m_system.files.count("stranger.abk"), 0u);
    EXPECT_EQ(WorkFolders(), std::vector<std::string>{"127_0_0_1-oldrun"});
}

TEST_F(FlashEraseSafetyTest, AFailedRestoreFailsTheRunNamesEveryFileAndKeepsTheCopies) {
    m_system.failingUploads = {"friends.abk", "localcdr.csv"};
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_system.CountCommand("ERFL"), 1);
    EXPECT_EQ(m_system.files["speeds.choice"], "384");  // the others went back
    EXPECT_TRUE(Logged("File not restored: friends.abk"));
    EXPECT_TRUE(Logged("File not restored: localcdr.csv"));
    EXPECT_TRUE(LoggedWith("Restore incomplete: 2 of "));
    EXPECT_TRUE(Logged("#### DONE : failure"));
    const auto kept = WorkFolders();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(LoggedWith("The backup copies are kept in " + (m_dir / kept[0]).string()));
    EXPECT_EQ(ReadFile(m_dir / kept[0] / "friends.abk"), "<entry>friend</entry>\n");
    EXPECT_EQ(m_system.commands.back(), "BOOT");
}

TEST_F(FlashEraseSafetyTest, ACancelDuringTheEraseStillRestoresEveryFile) {
    UseWindow();
    EXPECT_TRUE(Run());
    const auto& sent = m_window->sent;
    const auto erase = std::find_if(sent.begin(), sent.end(), [](const ProgressEvent& m) {
        return m.call == ProgressCall::TaskStarted && m.text == "Erase System Flash Memory";
    });
    ASSERT_NE(erase, sent.end());
    const int eraseDone = static_cast<int>(erase - sent.begin()) + 2;  // counted from 1

    // The same run again, the operator cancelling while the flash is erased.
    m_system.files = m_before;
    m_system.commands.clear();
    m_window->sent.clear();
    m_window->closed = false;
    m_window->cancelFromSend = eraseDone;
    StartLog();
    m_records.clear();
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_system.CountCommand("ERFL"), 1);
    for (const auto& [name, content] : m_before) EXPECT_EQ(m_system.files[name], content) << name;
    EXPECT_TRUE(Logged("#### DONE : failure"));
}

// An operator's stop (Ctrl+C) before the erase keeps the flash; one during the erase waits
// until every file is back.
TEST_F(FlashEraseSafetyTest, AStopNeverFallsBetweenTheEraseAndItsRestore) {
    struct Case {
        const char* what;
        std::string when;  // the command at which the operator stops the run
        int erases;
    };
    const Case cases[] = {{"stop during the update-mode switch", "SWUS", 0},
                          {"stop during the erase", "ERFL", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_app = std::make_unique<RunContext>(m_clock, m_box);
        WireToFakeSystem(*m_app, m_system, m_dir);
        m_app->Job().target.address = "127.0.0.1";
        m_app->Job().target.password = "secret";
        m_app->Job().options.quiet = true;
        m_app->Job().tasks.updateSoftware = false;
        m_app->Job().tasks.eraseFlash = true;
        m_system.files = m_before;
        m_system.commands.clear();
        m_system.onCommand = [this, when = c.when](const std::string& command) {
            if (command == when) m_app->Interrupt().Request(2);
        };
        StartLog();
        m_records.clear();
        EXPECT_FALSE(Run());
        EXPECT_EQ(m_system.CountCommand("ERFL"), c.erases);
        for (const auto& [name, content] : m_before)
            EXPECT_EQ(m_system.files[name], content) << name;
        EXPECT_TRUE(Logged("interrupted"));
        // The system is not left in update mode: the request is withdrawn and it restarts.
        const auto& sent = m_system.commands;
        const auto stop = std::find(sent.begin(), sent.end(), c.when);
        ASSERT_NE(stop, sent.end());
        const auto withdraw = std::find(stop, sent.end(), "RSWU");
        EXPECT_NE(withdraw, sent.end());
        EXPECT_NE(std::find(withdraw, sent.end(), "BOOT"), sent.end());
        EXPECT_TRUE(Logged("Stopped: the system is restarted in normal mode"));
    }
    m_system.onCommand = nullptr;
}

TEST_F(FlashEraseSafetyTest, ASecondRunAgainstTheSameSystemRefusesToStart) {
    platform::FileLock held;
    std::string error;
    fs::create_directories(m_dir / "locks");
    ASSERT_TRUE(held.TryLock((m_dir / "locks" / "127_0_0_1_21.lock").string(), error)) << error;
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_system.logons, 0);
    EXPECT_TRUE(m_system.commands.empty());
    EXPECT_TRUE(LoggedWith("Another run is updating the system 127.0.0.1"));
    EXPECT_TRUE(Logged("#### DONE : failure"));
    // Once the first run is over the system is free again.
    held.Unlock();
    StartLog();
    m_records.clear();
    EXPECT_TRUE(Run());
}

class BoundedReadTest : public FakeAppFixture {
protected:
    void SetUp() override {
        FakeAppFixture::SetUp();
        StartLog();
        ASSERT_TRUE(m_app->m_link->LogonToSystem("127.0.0.1", "admin", "secret"));
    }
};

TEST_F(BoundedReadTest, FilesReadIntoMemoryAreCutOffAtTheirLimit) {
    struct Case {
        const char* name;
        std::size_t size;
        bool value;  // a one-value file (4 KB) or other text (64 KB)
        bool taken;
    };
    const Case cases[] = {
        {"serialnumber.dat", filelimit::kValueFileBytes, true, true},
        {"sysname.dat", filelimit::kValueFileBytes + 1, true, false},
        {"info.txt", filelimit::kTextFileBytes, false, true},
        {"huge.txt", 40 * filelimit::kTextFileBytes, false, false},
    };
    for (const auto& c : cases) {
        m_system.files[c.name] = std::string(c.size, 'x');
        std::string text = "old";
        const bool got =
            c.value ? m_app->m_link->DownloadToString(c.name, text, filelimit::kValueFileBytes)
                    : m_app->m_link->DownloadToString(c.name, text);
        EXPECT_EQ(got, c.taken) << c.name;
        EXPECT_EQ(text.size(), c.taken ? c.size : 0u) << c.name;
    }
    EXPECT_TRUE(Logged("FTP: File too large - sysname.dat (more than 4096 bytes)"));
    EXPECT_TRUE(Logged("FTP: File too large - huge.txt (more than 65536 bytes)"));
}

TEST_F(BoundedReadTest, AHugeModelFileLeavesTheSystemUnidentified) {
    m_app->m_link->Disconnect();
    m_system.modelText = "";
    m_system.files["model.dat"] = std::string(1 << 20, ' ') + "KDV 18 9.0";
    EXPECT_FALSE(SystemConnector(*m_app).ConnectToSystem("127.0.0.1", "secret"));
    EXPECT_EQ(m_app->Job().target.systemType, ModelCatalogue::kUnknown);
    EXPECT_TRUE(Logged("FTP: File too large - model.dat (more than 4096 bytes)"));
}

TEST_F(BoundedReadTest, ACopyLargerThanItsLimitIsRefusedAndRemoved) {
    m_system.files["big.abk"] = std::string(100000, 'b');
    const std::string dir = WorkDir();
    const auto fetch = m_app->m_link->FetchToFile("big.abk", dir + "big.abk", 50000);
    EXPECT_EQ(fetch.outcome, DeviceLink::FetchKind::kTooLarge);
    EXPECT_FALSE(fs::exists(dir + "big.abk"));
    const auto whole = m_app->m_link->FetchToFile("big.abk", dir + "big.abk", 100000);
    EXPECT_EQ(whole.outcome, DeviceLink::FetchKind::kOk);
    EXPECT_EQ(whole.bytes, 100000);
    EXPECT_EQ(ReadFile(dir + "big.abk"), m_system.files["big.abk"]);
    // A copy is never written over an existing file (or through a link planted there).
    const auto again = m_app->m_link->FetchToFile("big.abk", dir + "big.abk", 100000);
    EXPECT_EQ(again.outcome, DeviceLink::FetchKind::kLocalError);
}

TEST_F(BoundedReadTest, TheImageGoesUpFromMemoryWithoutAFileOnDisk) {
    const auto before = Entries(m_dir);
    const std::string image(300000, 'i');
    ASSERT_TRUE(m_app->m_link->UploadBuffer(
        "BRAMBLE", reinterpret_cast<const std::uint8_t*>(image.data()), image.size(), 0));
    EXPECT_EQ(m_system.files["BRAMBLE"], image);
    EXPECT_EQ(Entries(m_dir), before);
}

#ifndef _WIN32
TEST_F(BoundedReadTest, TheWorkFolderIsFreshAndPrivateAndFallsBackToTheUsersCache) {
    const std::string first = WorkDir();
    struct stat info {};
    ASSERT_EQ(lstat(first.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(fs::path(first).parent_path().parent_path(), m_dir);
    m_app->m_link->ReleaseWorkDirectory(false);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_NE(WorkDir(), first);
    m_app->m_link->ReleaseWorkDirectory(false);

    // A help-file folder others can write into (the temporary folder) is not used.
    ScopedTempDir shared, cache;
    fs::permissions(shared.Path(), fs::perms::all);
    m_app->m_helpFilePath = shared.Str("Quillmarch.hlp");
    const std::string saved = platform::EnvironmentVariable("XDG_CACHE_HOME");
    setenv("XDG_CACHE_HOME", cache.Str().c_str(), 1);
    const std::string fallback = WorkDir();
    setenv("XDG_CACHE_HOME", saved.c_str(), 1);
    if (saved.empty()) unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(fs::path(fallback).parent_path().parent_path(), cache.Path() / "quillmarch");
    EXPECT_TRUE(Entries(shared.Path()).empty());
    m_app->m_link->ReleaseWorkDirectory(false);

    // A real run (no folder of the caller's, or an installed help page) keeps its copies in
    // the user's private data folder, never beside the program or the page.
    ScopedTempDir data;
    const std::string savedData = platform::EnvironmentVariable("XDG_DATA_HOME");
    setenv("XDG_DATA_HOME", data.Str().c_str(), 1);
    for (const std::string& help : {std::string(), shared.Str("help/index.html")}) {
        m_app->m_helpFilePath = help;
        const std::string kept = WorkDir();
        EXPECT_EQ(fs::path(kept).parent_path().parent_path(), data.Path() / "quillmarch") << help;
        m_app->m_link->ReleaseWorkDirectory(false);
    }
    setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    if (savedData.empty()) unsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(Entries(shared.Path()).empty());
}
#endif

}  // namespace
}  // namespace quillmarch::test
