// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <string>

#include "core/link/ILocalFileWriter.h"
#include "core/platform/LocalFileWriter.h"

namespace quillmarch::test {

// The local-file seam of a link, failing on request the way a disk does: a name the folder
// refuses, a write that finds the disk full, a flush or close that reports it late. Files it
// lets through are real files on the disk.
struct SLocalFault {
    enum class EWhere { kNone, kCreate, kWrite, kClose };
    EWhere where = EWhere::kNone;
    std::string name;  // the file it strikes (the last part of the path); empty: every file
};

class FailingWriter : public ILocalFileWriter {
public:
    FailingWriter(std::unique_ptr<ILocalFileWriter> real, SLocalFault::EWhere where)
        : m_real(std::move(real)), m_where(where) {}
    bool Write(const char* data, std::size_t length) override {
        if (m_where == SLocalFault::EWhere::kWrite) return Fail("No space left on device");
        return m_real->Write(data, length);
    }
    bool Close() override {
        const bool closed = m_real->Close();
        if (m_where == SLocalFault::EWhere::kClose) return Fail("flush failed: disk quota");
        return closed;
    }
    std::string Error() const override { return m_error.empty() ? m_real->Error() : m_error; }

private:
    bool Fail(const std::string& error) {
        m_error = error;
        return false;
    }
    std::unique_ptr<ILocalFileWriter> m_real;
    SLocalFault::EWhere m_where;
    std::string m_error;
};

inline LocalFileOpener FailingOpener(SLocalFault fault) {
    return
        [fault](const std::string& path, std::string& error) -> std::unique_ptr<ILocalFileWriter> {
            const auto slash = path.find_last_of("/\\");
            const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
            const bool struck = fault.name.empty() || fault.name == name;
            if (struck && fault.where == SLocalFault::EWhere::kCreate) {
                error = "cannot create " + path + ": Invalid argument";
                return nullptr;
            }
            auto real = platform::LocalFileWriter::Create(path, error);
            if (!real || !struck) return real;
            return std::make_unique<FailingWriter>(std::move(real), fault.where);
        };
}

}  // namespace quillmarch::test
