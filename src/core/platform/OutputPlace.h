// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch::platform {

// Where the program may write a file it makes (a report): a plain file or nothing yet, in a
// folder that exists and takes a new file. A device (/dev/null, /dev/full), a pipe, a folder
// or a terminal is refused: writing the file by replacing it would swap a system node for a
// plain file, and opening a pipe with no reader would wait for ever.
class OutputPlace {
public:
    // True when `path` can take the file; otherwise `error` says why, naming the path.
    static bool Usable(const std::string& path, std::string& error);
    // True when `path` exists and is not a plain file.
    static bool Special(const std::string& path);
    // True when both paths name the same file (existing or not).
    static bool Same(const std::string& first, const std::string& second);
};

}  // namespace quillmarch::platform
