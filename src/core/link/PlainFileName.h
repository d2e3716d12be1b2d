// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string_view>

// Names that come from a system, judged before they name a local file. No libcurl here: the
// check is wanted where Windows' headers must not be pulled in.
namespace quillmarch::ftp {

// Longest file name a listed name may be (the common limit of local file systems).
inline constexpr std::size_t kMaxFileNameBytes = 255;
// True for a name that can only ever mean a file inside the folder it is joined to, on POSIX
// and on Windows: not empty, at most kMaxFileNameBytes, no "/", "\\" or ":" (drive letters,
// streams), no "..", no control characters, no trailing dot or blank, no device name (CON,
// NUL, COM1...).
[[nodiscard]] bool IsPlainFileName(std::string_view name);

}  // namespace quillmarch::ftp
