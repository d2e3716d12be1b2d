#include "core/app/CUpdateLog.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "core/platform/Platform.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace quillmarch {

namespace fs = std::filesystem;

CUpdateLog::CUpdateLog() : m_stamp(&CUpdateLog::LocalTimeStamp) {}

CUpdateLog::~CUpdateLog() {
    Close();
}

std::string CUpdateLog::BackupName(const std::string& path) {
    std::string result;
    std::string::size_type from = 0;
    for (auto pos = path.find(".log"); pos != std::string::npos; pos = path.find(".log", from)) {
        result += path.substr(from, pos - from) + "_bak.log";
        from = pos + 4;
    }
    return result + path.substr(from);
}

std::string CUpdateLog::LocalTimeStamp() {
#ifdef _WIN32
    // The system's time zone: the C library's localtime follows a TZ variable when one is set
    // and takes the zone names of Unix-like shells ("Europe/Berlin") for UTC.
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%02u/%02u/%02u %02u:%02u:%02u", now.wMonth, now.wDay,
                  now.wYear % 100u, now.wHour, now.wMinute, now.wSecond);
    return buffer;
#else
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) return {};
    char buffer[64];
    // Fixed form: the locale's %c differs between C libraries.
    if (std::strftime(buffer, sizeof(buffer), "%m/%d/%y %H:%M:%S", &local) == 0) return {};
    return buffer;
#endif
}

bool CUpdateLog::OpenAt(const std::string& path, std::string& fileError) {
    const fs::path target = platform::PathFromUtf8(path);
    std::error_code ec;
    if (fs::exists(target, ec)) {
        const fs::path backup = platform::PathFromUtf8(BackupName(path));
        // The move never replaces an older backup: that counts as a failure, as a rename would.
        if (fs::exists(backup, ec)) {
            fileError = "Cannot create a file when that file already exists: " + BackupName(path);
        } else {
            fs::rename(target, backup, ec);
            if (ec) fileError = ec.message() + ": " + path;
        }
        if (!fileError.empty()) return false;
    }
    const auto cut = path.find_last_of("\\/");
    if (cut != std::string::npos && cut > 0) {
        fs::create_directories(platform::PathFromUtf8(path.substr(0, cut)), ec);  // ignored
    }
    m_file.open(target, std::ios::out | std::ios::trunc | std::ios::binary);
    if (m_file.is_open()) m_strOpenPath = m_strLastPath = path;
    return true;
}

bool CUpdateLog::Open(const std::string& path, std::string& errorForRecord) {
    Close();
    errorForRecord.clear();
    std::string fileError;
    if (OpenAt(path, fileError)) return m_file.is_open();

    // Fallback: the same relative path under the temporary folder.
    const std::string temp = m_strTempDir.empty() ? platform::TempDirectory() : m_strTempDir;
    const std::string relative =
        platform::Utf8FromPath(platform::PathFromUtf8(path).relative_path());
    std::string ignored;
    if (temp.empty() || !OpenAt(temp + platform::Separator() + relative, ignored)) return false;
    errorForRecord = fileError.substr(0, 4031);
    return m_file.is_open();
}

bool CUpdateLog::Append(const std::string& path) {
    Close();
    m_file.open(platform::PathFromUtf8(path), std::ios::out | std::ios::app | std::ios::binary);
    if (m_file.is_open()) m_strOpenPath = m_strLastPath = path;
    return m_file.is_open();
}

void CUpdateLog::Write(const std::string& text) {
    if (text.empty() || !m_file.is_open()) return;
    const std::string record = m_stamp() + " : " + text + "\n";
    m_file.write(record.data(), static_cast<std::streamsize>(record.size()));
    m_file.flush();
    m_file.clear();  // a failed write loses that record only
}

void CUpdateLog::Close() {
    if (!m_file.is_open()) return;
    m_file.flush();
    m_file.close();
    m_strOpenPath.clear();
}

}  // namespace quillmarch
