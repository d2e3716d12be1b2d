// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The platform layer where Windows differs: UTF-8 text against wide file names and environment,
// the temporary folder, the user name and the clock of the log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>

#include "core/catalogue/PayloadLoader.h"
#include "core/log/UpdateLog.h"
#include "core/platform/Platform.h"
#include "support/ScopedTempDir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace quillmarch {
namespace {

namespace fs = std::filesystem;
using test::ScopedTempDir;

const std::string kJuergen = "J\xC3\xBCrgen";  // "Jürgen" in UTF-8

#ifdef _WIN32
std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                         wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(size > 0 ? size : 0));
    return wide;
}
#endif

// Sets an environment variable (a UTF-8 value) for the lifetime of the object.
class CScopedVariable {
public:
    CScopedVariable(const char* name, const std::string& value) : m_name(name) {
        if (std::getenv(name) != nullptr) m_old = platform::EnvironmentVariable(name);
        Set(value);
    }
    ~CScopedVariable() {
        if (m_old) {
            Set(*m_old);
        } else {
            Unset();
        }
    }
    CScopedVariable(const CScopedVariable&) = delete;
    CScopedVariable& operator=(const CScopedVariable&) = delete;

    void Unset() {
#ifdef _WIN32
        _wputenv_s(Wide(m_name).c_str(), L"");  // an empty value removes it
#else
        unsetenv(m_name.c_str());
#endif
    }

private:
    void Set(const std::string& value) {
#ifdef _WIN32
        _wputenv_s(Wide(m_name).c_str(), Wide(value).c_str());
#else
        setenv(m_name.c_str(), value.c_str(), 1);
#endif
    }

    std::string m_name;
    std::optional<std::string> m_old;
};

TEST(PlatformText, Utf8NamesTheFileExactly) {
    ScopedTempDir dir;
    const std::string folder = platform::Utf8FromPath(dir.Path());
    UpdateLog log;
    std::string error;
    ASSERT_TRUE(log.Open(folder + platform::Separator() + kJuergen + ".log", error)) << error;
    log.Write("record");
    log.Close();

    // The name as the file system holds it (UTF-16 on Windows), not its bytes in a code page.
    EXPECT_TRUE(fs::is_regular_file(dir.Path() / fs::path(u8"J\u00fcrgen.log")));
    std::string listed;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        if (entry.path().extension() == ".lock") continue;  // the log's lock, named alike
        listed += platform::Utf8FromPath(entry.path().filename());
    }
    EXPECT_EQ(listed, kJuergen + ".log");
    EXPECT_EQ(platform::Utf8FromPath(platform::PathFromUtf8(kJuergen)), kJuergen);
}

// A -f: value that is not UTF-8 (a code-page name from a script) must not end the program.
TEST(PlatformText, BytesThatAreNotUtf8StillMakeALog) {
    ScopedTempDir dir;
    const std::string latin1 = "M\xFCller.log";  // "Müller" in Latin-1
    const std::string name = platform::Utf8FromPath(dir.Path()) + platform::Separator() + latin1;
    fs::path path;
    EXPECT_NO_THROW(path = platform::PathFromUtf8(name));
    UpdateLog log;
    std::string error;
    EXPECT_TRUE(log.Open(name, error)) << error;
    log.Close();
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        files += entry.is_regular_file() && entry.path().extension() != ".lock";
    EXPECT_EQ(files, 1);
}

TEST(PlatformEnvironment, PayloadFolderComesAsUtf8) {
    const std::string folder = std::string("C:") + platform::Separator() + kJuergen;
    CScopedVariable payloads("QUILLMARCH_PAYLOADS", folder);
    EXPECT_EQ(platform::EnvironmentVariable("QUILLMARCH_PAYLOADS"), folder);
    EXPECT_EQ(PayloadLoader::DefaultFolder(), folder);
    payloads.Unset();
    EXPECT_EQ(platform::EnvironmentVariable("QUILLMARCH_PAYLOADS"), "");
    std::vector<std::string> looked;
    PayloadLoader::DefaultFolder(&looked);
    EXPECT_TRUE(std::find(looked.begin(), looked.end(), folder) == looked.end());
}

TEST(PlatformFolders, TempDirectoryExistsAndHasNoTrailingSeparator) {
    const std::string temp = platform::TempDirectory();
    ASSERT_FALSE(temp.empty());
    EXPECT_NE(temp.back(), '/');
    EXPECT_NE(temp.back(), '\\');
    EXPECT_TRUE(fs::is_directory(platform::PathFromUtf8(temp)));
}

#ifndef _WIN32
// A folder someone else can change is no place for logs: they could swap a log for a link.
TEST(PlatformFolders, OthersControlNamesFoldersOthersCanChange) {
    ScopedTempDir dir;
    const fs::path own = dir.Path() / "own";
    const fs::path open = dir.Path() / "open";
    fs::create_directories(own);
    fs::create_directories(open);
    fs::permissions(open, fs::perms::all);
    fs::create_directory_symlink(own, dir.Path() / "link");
    const struct {
        fs::path folder;
        const char* why;  // empty: only the user controls it
    } cases[] = {
        {own, ""},
        {own / "new" / "logs", ""},  // made in a folder of the user's own
        {open, "others may write into the folder"},
        {open / "logs", "others may write into the folder"},
        {dir.Path() / "link", "is a symbolic link"},
    };
    for (const auto& c : cases) {
        const std::string why = platform::OthersControl(c.folder.string());
        if (*c.why == '\0')
            EXPECT_EQ(why, "") << c.folder;
        else
            EXPECT_NE(why.find(c.why), std::string::npos) << c.folder << ": " << why;
    }
    // The shared temporary folder has the sticky bit: a folder of one's own may be made there.
    EXPECT_EQ(platform::OthersControl("/tmp/quillmarch-logs-that-do-not-exist"), "");
    if (geteuid() == 0) {
        const fs::path theirs = dir.Path() / "theirs";
        fs::create_directories(theirs);
        ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
        EXPECT_NE(platform::OthersControl(theirs.string()).find("belongs to another user"),
                  std::string::npos);
    }
}
#endif

#ifdef _WIN32
TEST(PlatformText, LoneSurrogateInAWideNameBecomesAReplacementCharacter) {
    std::string text;
    EXPECT_NO_THROW(text = platform::Utf8FromPath(fs::path(std::wstring(L"a\xD800z"))));
    EXPECT_EQ(text, "a\xEF\xBF\xBDz");
    EXPECT_EQ(platform::Utf8FromWide(L"J\u00fcrgen"), kJuergen);
    EXPECT_EQ(platform::Utf8FromWide(L""), "");
}

TEST(PlatformUser, NameIsTheLogonName) {
    const wchar_t* logon = _wgetenv(L"USERNAME");
    ASSERT_NE(logon, nullptr) << "Windows names the logged-on user in USERNAME";
    EXPECT_EQ(platform::CurrentUserName(), platform::Utf8FromWide(logon));
}

std::string Stamp(const SYSTEMTIME& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u/%02u/%02u %02u:%02u:%02u", time.wMonth, time.wDay,
                  time.wYear % 100u, time.wHour, time.wMinute, time.wSecond);
    return text;
}

// A TZ variable (as Unix-like shells on Windows set it) moves the C library's local time, not
// the system's; the log follows the system.
TEST(UpdateLogStamp, FollowsTheSystemTimeZoneNotTheTzVariable) {
    CScopedVariable tz("TZ", "QMT-5");  // five hours east of UTC, for the C library only
    _tzset();
    SYSTEMTIME before{};
    SYSTEMTIME after{};
    GetLocalTime(&before);
    const std::string stamp = UpdateLog::LocalTimeStamp();
    GetLocalTime(&after);
    tz.Unset();
    _tzset();
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d)"))) << stamp;
    EXPECT_TRUE(stamp == Stamp(before) || stamp == Stamp(after)) << stamp;
}
#endif

}  // namespace
}  // namespace quillmarch
