// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch::platform {

// An exclusive lock on a file, held while the object lives. The operating system lets it go when
// the process ends in any way, so a crashed run never leaves a system or a log locked for ever.
// Two holders in one process exclude each other too (each opens its own handle). The holder
// removes the lock file when it lets go, so finished runs leave none behind.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;

    // Creates the lock file if needed (0600, never through a symbolic link) and takes the lock
    // without waiting. False when another holder has it or the file cannot be opened; `error`
    // then says which, in words for an operator.
    bool TryLock(const std::string& path, std::string& error);
    // Removes the lock file, then lets the lock go.
    void Unlock();
    bool Held() const { return m_held; }

private:
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    // The file this lock still names; a locker that finds another file there (or none) after
    // taking its lock has locked a file its holder removed, and tries again.
    bool StillNamed(const std::string& path) const;

    int m_fd = -1;
    std::string m_path;
#endif
    bool m_held = false;
};

}  // namespace quillmarch::platform
