// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch::platform {

// An exclusive lock on a file, held while the object lives. The operating system lets it go when
// the process ends in any way, so a crashed run never leaves a system or a log locked for ever.
// Two holders in one process exclude each other too (each opens its own handle).
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
    void Unlock();
    bool Held() const { return m_held; }

private:
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
    bool m_held = false;
};

}  // namespace quillmarch::platform
