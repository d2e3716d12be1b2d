// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/platform/LocalFileWriter.h"

#include "core/platform/Platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace quillmarch::platform {

namespace {

#ifdef _WIN32
std::string LastError() {
    return "system error " + std::to_string(GetLastError());
}
#else
std::string LastError() {
    return std::strerror(errno);
}
#endif

}  // namespace

LocalFileWriter::~LocalFileWriter() {
#ifdef _WIN32
    if (m_handle != nullptr) CloseHandle(static_cast<HANDLE>(m_handle));
#else
    if (m_fd >= 0) close(m_fd);
#endif
}

std::unique_ptr<ILocalFileWriter> LocalFileWriter::Create(const std::string& path,
                                                          std::string& error) {
    std::unique_ptr<LocalFileWriter> file(new LocalFileWriter());
#ifdef _WIN32
    HANDLE handle = CreateFileW(PathFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = "cannot create " + path + ": " + LastError();
        return nullptr;
    }
    file->m_handle = handle;
#else
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot create " + path + ": " + LastError();
        return nullptr;
    }
    file->m_fd = fd;
#endif
    return file;
}

bool LocalFileWriter::Fail(const std::string& what) {
    m_error = what + ": " + LastError();
    return false;
}

#ifdef _WIN32
bool LocalFileWriter::Write(const char* data, std::size_t length) {
    if (m_handle == nullptr) return Fail("write after close");
    while (length > 0) {
        const DWORD chunk = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(static_cast<HANDLE>(m_handle), data, chunk, &written, nullptr) ||
            written == 0)
            return Fail("write failed");
        data += written;
        length -= written;
    }
    return true;
}

bool LocalFileWriter::Close() {
    if (m_handle == nullptr) return Fail("closed twice");
    HANDLE handle = static_cast<HANDLE>(m_handle);
    m_handle = nullptr;
    const bool flushed = FlushFileBuffers(handle) != 0;
    if (!flushed) Fail("flush failed");
    const bool closed = CloseHandle(handle) != 0;
    if (!closed && flushed) Fail("close failed");
    return flushed && closed;
}
#else
bool LocalFileWriter::Write(const char* data, std::size_t length) {
    if (m_fd < 0) return Fail("write after close");
    while (length > 0) {
        const ssize_t written = write(m_fd, data, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return Fail("write failed");
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

bool LocalFileWriter::Close() {
    if (m_fd < 0) return Fail("closed twice");
    const int fd = m_fd;
    m_fd = -1;
    // A full disk may only show at the flush or the close (delayed allocation, network disks).
    const bool flushed = fsync(fd) == 0;
    if (!flushed) Fail("flush failed");
    const bool closed = close(fd) == 0;
    if (!closed && flushed) Fail("close failed");
    return flushed && closed;
}
#endif

}  // namespace quillmarch::platform
