// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch {

// The three UI string tables (English, and the two prefixed tables "f_" and "g_"). Immutable;
// every lookup carries an English fallback used when the table in use has no text.
class UiStrings {
public:
    static constexpr int kEnglishTableSize = 295;
    static constexpr int kFurtherTableSize = 120;

    // Text of UI string `id` in table `language`, or the fallback. A negative id passes the
    // fallback through unchanged; a language outside 0..2 answers every fallback.
    static std::string Load(int language, int id, const std::string& fallback);

private:
    static std::string Entry(int language, int id);
};

}  // namespace quillmarch
