#include "core/log/UpdateLog.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "core/platform/OutputPlace.h"
#include "core/platform/Platform.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace quillmarch {

namespace fs = std::filesystem;

UpdateLog::UpdateLog() : m_stamp(&UpdateLog::LocalTimeStamp) {}

UpdateLog::~UpdateLog() {
    Close();
}

std::string UpdateLog::BackupName(const std::string& path) {
    std::string result;
    std::string::size_type from = 0;
    for (auto pos = path.find(".log"); pos != std::string::npos; pos = path.find(".log", from)) {
        result += path.substr(from, pos - from) + "_bak.log";
        from = pos + 4;
    }
    return result + path.substr(from);
}

std::string UpdateLog::LocalTimeStamp() {
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

bool UpdateLog::Rotate(const std::string& path, std::string& why) {
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

UpdateLog::Attempt UpdateLog::OpenAt(const std::string& path, std::string& why) {
    std::error_code ec;
    const auto cut = path.find_last_of("\\/");
    if (cut != std::string::npos && cut > 0) {
        // A failure shows as the lock file that cannot be made.
        fs::create_directories(platform::PathFromUtf8(path.substr(0, cut)), ec);
    }
    // A device named as the log (a test's /dev/full) gets no lock file beside it.
    if (!platform::OutputPlace::Special(path) && !m_lock.TryLock(path + ".lock", why)) {
        return why.rfind("another run holds", 0) == 0 ? Attempt::kBusy : Attempt::kFailed;
    }
    if (!Rotate(path, why)) {
        m_lock.Unlock();
        return Attempt::kFailed;
    }
    m_file.open(platform::PathFromUtf8(path), std::ios::out | std::ios::trunc | std::ios::binary);
    if (!m_file.is_open()) {
        why = "cannot open " + path;
        m_lock.Unlock();
        return Attempt::kFailed;
    }
    m_openPath = m_lastPath = path;
    m_writeFailed = false;
    return Attempt::kOpened;
}

bool UpdateLog::Open(const std::string& path, std::string& errorForRecord) {
    Close();
    m_lock.Unlock();
    errorForRecord.clear();
    m_failure.clear();
    m_busy = false;
    std::string why;
    Attempt attempt = OpenAt(path, why);
    if (attempt == Attempt::kOpened) return true;
    if (attempt == Attempt::kBusy) {
        m_busy = true;
        m_failure = why;
        return false;
    }
    // Fallback: the same relative path under the temporary folder.
    const std::string temp = m_tempDir.empty() ? platform::TempDirectory() : m_tempDir;
    const std::string relative =
        platform::Utf8FromPath(platform::PathFromUtf8(path).relative_path());
    std::string fallbackWhy = "no temporary folder";
    if (!temp.empty()) attempt = OpenAt(temp + platform::Separator() + relative, fallbackWhy);
    if (attempt == Attempt::kOpened) {
        errorForRecord = why.substr(0, 4031);
        return true;
    }
    m_busy = attempt == Attempt::kBusy;
    m_failure = m_busy ? fallbackWhy : why + "; " + fallbackWhy;
    return false;
}

bool UpdateLog::Append(const std::string& path) {
    Close();
    m_file.open(platform::PathFromUtf8(path), std::ios::out | std::ios::app | std::ios::binary);
    if (m_file.is_open()) m_openPath = m_lastPath = path;
    return m_file.is_open();
}

void UpdateLog::Write(const std::string& text) {
    if (text.empty() || !m_file.is_open()) return;
    const std::string record = m_stamp() + " : " + text + "\n";
    m_file.write(record.data(), static_cast<std::streamsize>(record.size()));
    m_file.flush();
    if (!m_file.good()) ReportWriteFailure();
    m_file.clear();  // a failed write loses that record only
}

void UpdateLog::ReportWriteFailure() {
    const int error = errno;
    if (m_writeFailed) return;
    m_writeFailed = true;
    const std::string reason =
        error != 0 ? std::generic_category().message(error) : std::string("write failed");
    if (m_onWriteFailure) m_onWriteFailure("cannot write the log " + m_openPath + ": " + reason);
}

void UpdateLog::Close() {
    if (!m_file.is_open()) return;
    m_file.flush();
    m_file.close();
    m_openPath.clear();
}

}  // namespace quillmarch
