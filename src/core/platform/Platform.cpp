// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/platform/Platform.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <lmcons.h>
#include <windows.h>
#else
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillmarch::platform {

namespace fs = std::filesystem;

#ifdef _WIN32
// The system's converters: unlike the C++ library's they replace what they cannot convert
// instead of throwing, and a name or argument from outside must not end the program.
std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), size, nullptr, nullptr);
    return result;
}

namespace {

std::wstring WideFromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), length, result.data(), size);
    return result;
}

}  // namespace

fs::path PathFromUtf8(const std::string& text) {
    return fs::path(WideFromUtf8(text));
}

std::string Utf8FromPath(const fs::path& path) {
    return Utf8FromWide(path.native());
}

std::string EnvironmentVariable(const char* name) {
    const wchar_t* value = _wgetenv(WideFromUtf8(name).c_str());
    return value ? Utf8FromWide(value) : std::string();
}
#else
fs::path PathFromUtf8(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string EnvironmentVariable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
#endif

std::string ExecutableDirectory() {
#ifdef _WIN32
    std::vector<wchar_t> buffer(32768);
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return {};
    return Utf8FromPath(fs::path(std::wstring(buffer.data(), n)).parent_path());
#else
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return Utf8FromPath(self.parent_path());
#endif
}

std::string TempDirectory() {
    std::error_code ec;
    fs::path temp = fs::temp_directory_path(ec);
    if (ec) return {};
    std::string text = Utf8FromPath(temp);
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\')) text.pop_back();
    return text;
}

std::string CurrentUserName() {
#ifdef _WIN32
    char buffer[UNLEN + 1] = {};
    DWORD size = sizeof(buffer);
    if (!GetUserNameA(buffer, &size)) return {};
    return std::string(buffer);
#else
    // The reentrant form: runs of a fleet ask from their own threads.
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_name)
        return found->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
#endif
}

const char* Separator() {
#ifdef _WIN32
    return "\\";
#else
    return "/";
#endif
}

namespace {

constexpr int kUniqueAttempts = 100;

std::string RandomSuffix() {
    static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string suffix;
    for (int i = 0; i < 10; ++i) suffix += kDigits[random() % (sizeof(kDigits) - 1)];
    return suffix;
}

// Creates exactly this folder, private; false when anything (even a link) is already there.
bool CreateFreshDirectory(const std::string& path) {
#ifdef _WIN32
    return CreateDirectoryW(PathFromUtf8(path).c_str(), nullptr) != 0;
#else
    return mkdir(path.c_str(), 0700) == 0;
#endif
}

}  // namespace

bool IsPrivateDirectory(const std::string& path) {
    if (path.empty()) return false;
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(PathFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 0022) == 0;
#endif
}

std::string OthersControl(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return {};
#else
    std::error_code ec;
    const std::filesystem::path requested = std::filesystem::absolute(PathFromUtf8(path), ec);
    if (ec) return "the folder " + path + " cannot be found";
    std::filesystem::path folder = requested;
    struct stat info {};
    // A folder still to be made belongs to whoever owns the one it is made in.
    while (lstat(folder.c_str(), &info) != 0 && folder.has_relative_path())
        folder = folder.parent_path();
    const std::string shown = Utf8FromPath(folder);
    if (S_ISLNK(info.st_mode)) return "the folder " + shown + " is a symbolic link";
    if (info.st_uid != geteuid() && info.st_uid != 0)
        return "the folder " + shown + " belongs to another user";
    // A shared folder with the sticky bit (/tmp) is fine to make a folder of one's own in.
    const bool stickyParent = folder != requested && (info.st_mode & S_ISVTX) != 0;
    if ((info.st_mode & 0022) != 0 && !stickyParent)
        return "others may write into the folder " + shown + " (chmod go-w " + shown + ")";
    return {};
#endif
}

bool EnsurePrivateDirectory(const std::string& path) {
    if (path.empty()) return false;
    CreateFreshDirectory(path);  // an existing folder is checked below like a new one
    return IsPrivateDirectory(path);
}

std::string UserCacheDirectory(std::string& why) {
#ifdef _WIN32
    const std::string base = EnvironmentVariable("LOCALAPPDATA");
    if (base.empty()) {
        why = "LOCALAPPDATA is not set";
        return {};
    }
    std::string dir = base + "\\Quillmarch";
#else
    std::string base = EnvironmentVariable("XDG_CACHE_HOME");
    if (base.empty() || base.front() != '/') {
        const std::string home = EnvironmentVariable("HOME");
        if (home.empty() || home.front() != '/') {
            why = "HOME is not set to a full path";
            return {};
        }
        base = home + "/.cache";
    }
    // Only the program's own folder must be private: a shared cache folder (0775 is common)
    // is fine, since nobody else can change what lies inside a private folder of ours.
    mkdir(base.c_str(), 0700);
    std::string dir = base + "/quillmarch";
#endif
    if (EnsurePrivateDirectory(dir)) return dir;
    why = "the folder " + dir +
          " is not private to this user; make it your own and closed to others "
#ifdef _WIN32
          "(remove it, or take ownership of it)";
#else
          "(chmod 700 " +
          dir + ", or remove it)";
#endif
    return {};
}

std::string UserCacheDirectory() {
    std::string ignored;
    return UserCacheDirectory(ignored);
}

std::string UserDataDirectory() {
#ifdef _WIN32
    return UserCacheDirectory();
#else
    std::string base = EnvironmentVariable("XDG_DATA_HOME");
    if (base.empty() || base.front() != '/') {
        const std::string home = EnvironmentVariable("HOME");
        if (home.empty() || home.front() != '/') return {};
        mkdir((home + "/.local").c_str(), 0700);
        base = home + "/.local/share";
    }
    mkdir(base.c_str(), 0700);
    const std::string dir = base + "/quillmarch";
    return EnsurePrivateDirectory(dir) ? dir : std::string();
#endif
}

std::string MakeUniqueDirectory(const std::string& parent, const std::string& prefix) {
    if (parent.empty()) return {};
    for (int attempt = 0; attempt < kUniqueAttempts; ++attempt) {
        const std::string path = parent + Separator() + prefix + RandomSuffix();
        if (CreateFreshDirectory(path)) return IsPrivateDirectory(path) ? path : std::string();
    }
    return {};
}

bool IsTerminal(std::FILE* stream) {
    if (!stream) return false;
#ifdef _WIN32
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

}  // namespace quillmarch::platform
