// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Anything a system sends, on its way into one log record.
#include "core/util/TextUtil.h"
#include "tests/fuzz/FuzzInput.h"

using namespace quillmarch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = fuzz::Text(data, size);
    const std::string shown = text::ForLog(text);
    fuzz::Require(!fuzz::HasControlCharacter(shown));
    // Four bytes per escaped byte at most, plus the note on a cut.
    fuzz::Require(shown.size() <= 4 * text::kLogTextLimit + 64);
    return 0;
}
