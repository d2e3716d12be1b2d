// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace quillmarch {

// One local file the link writes (a backup copy of a system's file). A copy counts only when
// every Write and the final Close succeeded; the interface is the seam through which tests make
// the disk fail.
class ILocalFileWriter {
public:
    virtual ~ILocalFileWriter() = default;
    // Writes the whole chunk, or answers false.
    [[nodiscard]] virtual bool Write(const char* data, std::size_t length) = 0;
    // Flushes to the disk and closes; false when any part of it failed.
    [[nodiscard]] virtual bool Close() = 0;
    // What failed, in words for the log.
    virtual std::string Error() const = 0;
};

// Creates a new local file (never an existing one, never through a symbolic link); null with
// `error` set when it cannot.
using LocalFileOpener =
    std::function<std::unique_ptr<ILocalFileWriter>(const std::string& path, std::string& error)>;

}  // namespace quillmarch
