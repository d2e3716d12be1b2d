// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/log/UpdateLog.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "core/platform/OutputPlace.h"
#include "core/platform/Platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quillmarch {

namespace fs = std::filesystem;

UpdateLog::UpdateLog() : m_stamp(&UpdateLog::LocalTimeStamp) {}

UpdateLog::~UpdateLog() {
    Close();
}

std::string UpdateLog::BackupName(const std::string& path) {
    // The file name only: a folder named "fleet.logs" is no log.
    const auto cut = path.find_last_of("\\/");
    const std::string::size_type start = cut == std::string::npos ? 0 : cut + 1;
    std::string result = path.substr(0, start);
    std::string::size_type from = start;
    for (auto pos = path.find(".log", from); pos != std::string::npos;
         pos = path.find(".log", from)) {
        result += path.substr(from, pos - from) + "_bak.log";
        from = pos + 4;
    }
    return result + path.substr(from);
}

bool UpdateLog::LooksLikeLog(std::string_view head) {
    // Every record is "<time stamp> : <text>"; a file whose first line is not is someone else's.
    if (head.empty()) return true;
    const auto end = std::min(head.find('\n'), head.size());
    const auto mark = head.substr(0, end).find(" : ");
    return mark != std::string_view::npos && mark > 0 && mark <= kMaxStampLength;
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

UpdateLog::Attempt UpdateLog::CheckTarget(const std::string& path, std::string& why) {
    const fs::path target = platform::PathFromUtf8(path);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(target, ec);
    if (!fs::exists(status)) return Attempt::kOpened;
    // A device, a pipe or a link is never opened: a pipe without a reader waits for ever, and
    // replacing /dev/null or a link's target would harm others.
    if (!fs::is_regular_file(status)) {
        why = "the log " + path + " is not a plain file; name a file for the log";
        return Attempt::kRefused;
    }
    return Attempt::kOpened;
}

UpdateLog::Attempt UpdateLog::CheckContents(const std::string& path, std::string& why) {
    std::ifstream in(platform::PathFromUtf8(path), std::ios::binary);
    if (!in) return Attempt::kOpened;
    char head[kMaxStampLength + 3] = {};
    in.read(head, sizeof(head));
    if (!LooksLikeLog(std::string_view(head, static_cast<std::size_t>(in.gcount())))) {
        why = "the file " + path +
              " is not a log of this program; it is left alone: name "
              "another file for the log";
        return Attempt::kRefused;
    }
    return Attempt::kOpened;
}

bool UpdateLog::Rotate(const std::string& path, std::string& why) {
    const fs::path target = platform::PathFromUtf8(path);
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(target, ec))) return true;
    std::string backupName = BackupName(path);
    if (backupName == path) backupName += "_bak";
    const fs::path backup = platform::PathFromUtf8(backupName);
    // Removed first: a rename on Windows does not replace a file.
    fs::remove(backup, ec);
    if (!ec) fs::rename(target, backup, ec);
    if (ec) why = ec.message() + ": " + backupName;
    return !ec;
}

bool UpdateLog::CreateFresh(const std::string& path, std::string& why) {
#ifndef _WIN32
    // A new file of our own: never a link planted since, never a file someone else owns.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        why = "cannot create " + path + ": " + std::generic_category().message(errno);
        return false;
    }
    close(fd);
#endif
    m_file.open(platform::PathFromUtf8(path), std::ios::out | std::ios::trunc | std::ios::binary);
    if (!m_file.is_open()) why = "cannot open " + path;
    return m_file.is_open();
}

UpdateLog::Attempt UpdateLog::OpenAt(const std::string& path, std::string& why) {
    const Attempt checked = CheckTarget(path, why);
    if (checked != Attempt::kOpened) return checked;
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
    // Read only under the lock: another run may be writing its first record.
    if (CheckContents(path, why) != Attempt::kOpened) {
        m_lock.Unlock();
        return Attempt::kRefused;
    }
    if (!Rotate(path, why) || !CreateFresh(path, why)) {
        m_lock.Unlock();
        return Attempt::kFailed;
    }
    m_openPath = m_lastPath = path;
    m_writeFailed = false;
    return Attempt::kOpened;
}

std::string UpdateLog::FallbackFolder() const {
    // Only a folder of the user's own: in a shared one another user could plant the log.
    if (!m_tempDir.empty()) return platform::EnsurePrivateDirectory(m_tempDir) ? m_tempDir : "";
    const std::string cache = platform::UserCacheDirectory();
    if (cache.empty()) return {};
    const std::string dir = cache + platform::Separator() + "logs";
    return platform::EnsurePrivateDirectory(dir) ? dir : std::string();
}

bool UpdateLog::Open(const std::string& path, std::string& errorForRecord) {
    Close();
    m_lock.Unlock();
    errorForRecord.clear();
    m_failure.clear();
    m_busy = false;
    m_refused = false;
    std::string why;
    Attempt attempt = OpenAt(path, why);
    if (attempt == Attempt::kOpened) return true;
    if (attempt == Attempt::kBusy || attempt == Attempt::kRefused) {
        m_busy = attempt == Attempt::kBusy;
        m_refused = attempt == Attempt::kRefused;
        m_failure = why;
        return false;
    }
    // Fallback: the same relative path under a private folder of the user's.
    const std::string temp = FallbackFolder();
    const std::string relative =
        platform::Utf8FromPath(platform::PathFromUtf8(path).relative_path());
    std::string fallbackWhy = "no private folder for the log";
    if (!temp.empty()) attempt = OpenAt(temp + platform::Separator() + relative, fallbackWhy);
    if (attempt == Attempt::kOpened) {
        errorForRecord = why.substr(0, 4031);
        return true;
    }
    m_busy = attempt == Attempt::kBusy;
    m_refused = attempt == Attempt::kRefused;
    m_failure = m_busy || m_refused ? fallbackWhy : why + "; " + fallbackWhy;
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
