// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <fstream>
#include <functional>
#include <string>
#include <string_view>

#include "core/platform/FileLock.h"

namespace quillmarch {

// The update log: one "time stamp : text" record per line, written through at once so that a
// run that dies leaves every record it made.
class UpdateLog {
public:
    UpdateLog();
    ~UpdateLog();
    UpdateLog(const UpdateLog&) = delete;
    UpdateLog& operator=(const UpdateLog&) = delete;

    // Opens the log at a path. First it takes the lock "<path>.lock" beside it, so two runs never
    // write one file; then an existing log moves to the "_bak.log" name, replacing the older
    // backup, so the newest log and the one before it are always there; missing folders are
    // made. When the folder cannot be written the log goes to the same relative path under the
    // user's private folder and the answer carries the reason (for the first record).
    // Returns false when no log could be opened at all: FailureReason says why, Busy whether
    // another run holds the lock.
    bool Open(const std::string& path, std::string& errorForRecord);
    bool Busy() const { return m_busy; }
    // True when the path names something that is no log of this program (a device, a pipe, a
    // link, another file): refused, never replaced, and no fallback is tried.
    bool Refused() const { return m_refused; }
    const std::string& FailureReason() const { return m_failure; }
    // Told once, with the reason, when a record cannot be written (a full disk): the run goes on,
    // and the operator must learn that its log is incomplete.
    void SetWriteFailureHandler(std::function<void(const std::string&)> handler) {
        m_onWriteFailure = std::move(handler);
    }
    bool WriteFailed() const { return m_writeFailed; }
    // Reopens a closed log at its last path to add records after its end.
    bool Append(const std::string& path);
    void Close();
    bool IsOpen() const { return m_file.is_open(); }
    // Path of the file actually open (the fallback path after a fallback).
    const std::string& OpenPath() const { return m_openPath; }
    // Path of the file opened last, kept after Close.
    const std::string& LastPath() const { return m_lastPath; }

    // Appends one record; empty texts and a closed log write nothing.
    void Write(const std::string& text);

    // Replaces the time-stamp source (tests).
    void SetStampSource(std::function<std::string()> stamp) { m_stamp = std::move(stamp); }
    // Where the fallback goes (tests); defaults to the "logs" folder in the user's private cache.
    void SetTempDirectory(const std::string& dir) { m_tempDir = dir; }

    // The rotated name: ".log" in the file name (not its folders) becomes "_bak.log".
    static std::string BackupName(const std::string& path);
    // Whether a file's first bytes are a record of this program's (or the file is empty).
    static bool LooksLikeLog(std::string_view head);
    // The longest time stamp a record starts with ("MM/DD/YY HH:MM:SS" and room to spare).
    static constexpr std::size_t kMaxStampLength = 40;
    static std::string LocalTimeStamp();

private:
    enum class Attempt { kOpened, kBusy, kFailed, kRefused };
    static Attempt CheckTarget(const std::string& path, std::string& why);
    static Attempt CheckContents(const std::string& path, std::string& why);
    Attempt OpenAt(const std::string& path, std::string& why);
    bool CreateFresh(const std::string& path, std::string& why);
    std::string FallbackFolder() const;
    static bool Rotate(const std::string& path, std::string& why);
    void ReportWriteFailure();

    std::ofstream m_file;
    std::string m_openPath;
    std::string m_lastPath;
    std::string m_tempDir;
    std::function<std::string()> m_stamp;
    std::function<void(const std::string&)> m_onWriteFailure;
    // Held from Open to the next Open or the end of the object: the quiet run's last line is
    // appended after Close.
    platform::FileLock m_lock;
    std::string m_failure;
    bool m_busy = false;
    bool m_refused = false;
    bool m_writeFailed = false;
};

}  // namespace quillmarch
