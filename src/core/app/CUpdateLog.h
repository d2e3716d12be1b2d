#pragma once

#include <fstream>
#include <functional>
#include <string>

namespace quillmarch {

// The update log: one "time stamp : text" record per line, written through at once so that a
// run that dies leaves every record it made.
class CUpdateLog {
public:
    CUpdateLog();
    ~CUpdateLog();
    CUpdateLog(const CUpdateLog&) = delete;
    CUpdateLog& operator=(const CUpdateLog&) = delete;

    // Opens the log at a path: an existing file moves to the "_bak.log" name, missing folders
    // are made. When the old file cannot be moved the log goes to the same relative path under
    // the temporary folder and the answer carries the reason (for the first record).
    // Returns false when no file could be opened at all.
    bool Open(const std::string& path, std::string& errorForRecord);
    // Reopens a closed log at its last path to add records after its end.
    bool Append(const std::string& path);
    void Close();
    bool IsOpen() const { return m_file.is_open(); }
    // Path of the file actually open (the fallback path after a fallback).
    const std::string& OpenPath() const { return m_strOpenPath; }
    // Path of the file opened last, kept after Close.
    const std::string& LastPath() const { return m_strLastPath; }

    // Appends one record; empty texts and a closed log write nothing.
    void Write(const std::string& text);

    // Replaces the time-stamp source (tests).
    void SetStampSource(std::function<std::string()> stamp) { m_stamp = std::move(stamp); }
    // Where the fallback goes (tests); defaults to the system's temporary folder.
    void SetTempDirectory(const std::string& dir) { m_strTempDir = dir; }

    static std::string BackupName(const std::string& path);
    static std::string LocalTimeStamp();

private:
    bool OpenAt(const std::string& path, std::string& fileError);

    std::ofstream m_file;
    std::string m_strOpenPath;
    std::string m_strLastPath;
    std::string m_strTempDir;
    std::function<std::string()> m_stamp;
};

}  // namespace quillmarch
