// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/platform/FileLock.h"

#include <utility>

#include "core/platform/Platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace quillmarch::platform {

FileLock::~FileLock() {
    Unlock();
}

FileLock::FileLock(FileLock&& other) noexcept {
    *this = std::move(other);
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this == &other) return *this;
    Unlock();
#ifdef _WIN32
    m_handle = std::exchange(other.m_handle, nullptr);
#else
    m_fd = std::exchange(other.m_fd, -1);
    m_path = std::exchange(other.m_path, {});
#endif
    m_held = std::exchange(other.m_held, false);
    return *this;
}

#ifdef _WIN32
bool FileLock::TryLock(const std::string& path, std::string& error) {
    Unlock();
    // The file goes when its last handle closes; while that removal is pending, further opens
    // fail, which refuses the newcomer as a held lock would.
    HANDLE handle =
        CreateFileW(PathFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = "cannot open the lock file " + path;
        return false;
    }
    OVERLAPPED whole{};
    if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
        CloseHandle(handle);
        error = "another run holds " + path;
        return false;
    }
    m_handle = handle;
    m_held = true;
    return true;
}

void FileLock::Unlock() {
    if (m_handle != nullptr) CloseHandle(static_cast<HANDLE>(m_handle));
    m_handle = nullptr;
    m_held = false;
}
#else
bool FileLock::TryLock(const std::string& path, std::string& error) {
    Unlock();
    // A holder removes the file while it still holds the lock, so a locker that got the lock of
    // a removed file only needs to open the path anew; a few rounds end any such race.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            error = "cannot open the lock file " + path + ": " + std::strerror(errno);
            return false;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK;
            error = busy ? "another run holds " + path
                         : "cannot lock " + path + ": " + std::strerror(errno);
            close(fd);
            return false;
        }
        m_fd = fd;
        if (StillNamed(path)) {
            m_path = path;
            m_held = true;
            return true;
        }
        close(fd);
        m_fd = -1;
    }
    error = "another run holds " + path;
    return false;
}

bool FileLock::StillNamed(const std::string& path) const {
    struct stat locked {};
    struct stat named {};
    if (fstat(m_fd, &locked) != 0 || lstat(path.c_str(), &named) != 0) return false;
    return locked.st_dev == named.st_dev && locked.st_ino == named.st_ino;
}

void FileLock::Unlock() {
    if (m_fd >= 0) {
        // Only while the lock is held: a waiting locker then finds the file gone and starts anew.
        if (m_held && !m_path.empty()) unlink(m_path.c_str());
        close(m_fd);
    }
    m_fd = -1;
    m_path.clear();
    m_held = false;
}
#endif

}  // namespace quillmarch::platform
