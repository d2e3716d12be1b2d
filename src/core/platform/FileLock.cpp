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
#endif
    m_held = std::exchange(other.m_held, false);
    return *this;
}

#ifdef _WIN32
bool FileLock::TryLock(const std::string& path, std::string& error) {
    Unlock();
    HANDLE handle = CreateFileW(PathFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    m_held = true;
    return true;
}

void FileLock::Unlock() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    m_held = false;
}
#endif

}  // namespace quillmarch::platform
