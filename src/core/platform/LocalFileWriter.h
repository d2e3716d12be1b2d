// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <string>

#include "core/link/ILocalFileWriter.h"

namespace quillmarch::platform {

// A new file on the local disk, private to the user (0600), written with every step checked:
// each write whole, then flushed to the disk and closed.
class LocalFileWriter : public ILocalFileWriter {
public:
    ~LocalFileWriter() override;
    LocalFileWriter(const LocalFileWriter&) = delete;
    LocalFileWriter& operator=(const LocalFileWriter&) = delete;

    // Fails when anything (a file, a link) already has the name, or the folder refuses it.
    static std::unique_ptr<ILocalFileWriter> Create(const std::string& path, std::string& error);

    bool Write(const char* data, std::size_t length) override;
    bool Close() override;
    std::string Error() const override { return m_error; }

private:
    LocalFileWriter() = default;
    bool Fail(const std::string& what);

#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
    std::string m_error;
};

}  // namespace quillmarch::platform
