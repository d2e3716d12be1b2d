#include "core/app/CUpdateLog.h"

#include <cerrno>
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

bool CUpdateLog::Rotate(const std::string& path, std::string& why) {
    const fs::path target = platform::PathFromUtf8(path);
    std::error_code ec;
    // Only a log is kept: a device or pipe named as the log is written as it is.
    if (!fs::is_regular_file(target, ec)) return true;
    std::string backupName = BackupName(path);
    if (backupName == path) backupName += "_bak";
    const fs::path backup = platform::PathFromUtf8(backupName);
    // Removed first: a rename on Windows does not replace a file.
    fs::remove(backup, ec);
    if (!ec) fs::rename(target, backup, ec);
    if (ec) why = ec.message() + ": " + backupName;
    return !ec;
}

CUpdateLog::EAttempt CUpdateLog::OpenAt(const std::string& path, std::string& why) {
    std::error_code ec;
    const auto cut = path.find_last_of("\\/");
    if (cut != std::string::npos && cut > 0) {
        // A failure shows as the lock file that cannot be made.
        fs::create_directories(platform::PathFromUtf8(path.substr(0, cut)), ec);
    }
    if (!m_lock.TryLock(path + ".lock", why)) {
        return why.rfind("another run holds", 0) == 0 ? EAttempt::kBusy : EAttempt::kFailed;
    }
    if (!Rotate(path, why)) {
        m_lock.Unlock();
        return EAttempt::kFailed;
    }
    m_file.open(platform::PathFromUtf8(path), std::ios::out | std::ios::trunc | std::ios::binary);
    if (!m_file.is_open()) {
        why = "cannot open " + path;
        m_lock.Unlock();
        return EAttempt::kFailed;
    }
    m_strOpenPath = m_strLastPath = path;
    m_bWriteFailed = false;
    return EAttempt::kOpened;
}

bool CUpdateLog::Open(const std::string& path, std::string& errorForRecord) {
    Close();
    m_lock.Unlock();
    errorForRecord.clear();
    m_strFailure.clear();
    m_bBusy = false;
    std::string why;
    EAttempt attempt = OpenAt(path, why);
    if (attempt == EAttempt::kOpened) return true;
    if (attempt == EAttempt::kBusy) {
        m_bBusy = true;
        m_strFailure = why;
        return false;
    }
    // Fallback: the same relative path under the temporary folder.
    const std::string temp = m_strTempDir.empty() ? platform::TempDirectory() : m_strTempDir;
    const std::string relative =
        platform::Utf8FromPath(platform::PathFromUtf8(path).relative_path());
    std::string fallbackWhy = "no temporary folder";
    if (!temp.empty()) attempt = OpenAt(temp + platform::Separator() + relative, fallbackWhy);
    if (attempt == EAttempt::kOpened) {
        errorForRecord = why.substr(0, 4031);
        return true;
    }
    m_bBusy = attempt == EAttempt::kBusy;
    m_strFailure = m_bBusy ? fallbackWhy : why + "; " + fallbackWhy;
    return false;
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
    if (!m_file.good()) ReportWriteFailure();
    m_file.clear();  // a failed write loses that record only
}

void CUpdateLog::ReportWriteFailure() {
    const int error = errno;
    if (m_bWriteFailed) return;
    m_bWriteFailed = true;
    const std::string reason =
        error != 0 ? std::generic_category().message(error) : std::string("write failed");
    if (m_onWriteFailure) m_onWriteFailure("cannot write the log " + m_strOpenPath + ": " + reason);
}

void CUpdateLog::Close() {
    if (!m_file.is_open()) return;
    m_file.flush();
    m_file.close();
    m_strOpenPath.clear();
}

}  // namespace quillmarch
