// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>

// Rules both progress displays (the window and the terminal) share.
namespace quillmarch::progress {

// Byte counts as the progress window shows them: "999 B", "1 KB", "12,345 KB".
std::string FormatByteCount(std::int64_t count, bool withUnit);

// A byte notice for the current task: below the total the count is taken and the percentage
// is count / total, at most 100; once the total is reached it grows to the count and the
// percentage is 100 (so a task with total 0 shows 100 at its first notice).
int BytePercent(std::int64_t bytes, std::int64_t& done, std::int64_t& total);

}  // namespace quillmarch::progress
