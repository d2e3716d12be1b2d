// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>

#include "core/util/TextUtil.h"

namespace quillmarch {
namespace {

using namespace std::string_literals;

struct EscapeCase {
    std::string input;
    std::string expected;
};

// What a hostile system could send, and what one log record then shows.
TEST(LogEscaping, ControlCharactersBecomeVisible) {
    const EscapeCase cases[] = {
        {"200 NORMAL KDV 18 9.0", "200 NORMAL KDV 18 9.0"},
        {"x\r\n12/10/26 13:00:00 : #### DONE : success",
         "x\\r\\n12/10/26 13:00:00 : #### DONE : success"},
        {"a\0b"s, "a\\0b"},
        {"\x1b[2Jcleared", "\\e[2Jcleared"},
        {"tab\there", "tab\\there"},
        {"bell\x07 del\x7f", "bell\\x07 del\\x7f"},
        {"C:\\path", "C:\\\\path"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},  // UTF-8 stays readable
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(text::ForLog(c.input), c.expected) << c.expected;
}

TEST(LogEscaping, LongTextIsCutAndSaysSo) {
    const std::string huge(100000, 'A');
    const std::string shown = text::ForLog(huge);
    EXPECT_EQ(shown.substr(0, text::kLogTextLimit), std::string(text::kLogTextLimit, 'A'));
    EXPECT_EQ(shown.substr(text::kLogTextLimit), "...[cut, 100000 bytes]");
    // The limit counts bytes of input, so escapes never let a record grow past a few times it.
    const std::string newlines(100000, '\n');
    EXPECT_LT(text::ForLog(newlines).size(), 3 * text::kLogTextLimit);
    EXPECT_EQ(text::ForLog("abcdef", 3), "abc...[cut, 6 bytes]");
}

}  // namespace
}  // namespace quillmarch
