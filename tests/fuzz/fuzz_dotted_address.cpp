// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The dotted text the address control takes from the operator or a stored setting.
#include <cstdio>

#include "core/util/DottedAddress.h"
#include "tests/fuzz/FuzzInput.h"

using namespace quillmarch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = fuzz::Text(data, size);
    const dotted::Bytes bytes = dotted::Parse(text);
    // What the control shows must read back as the same address.
    char shown[32];
    std::snprintf(shown, sizeof(shown), "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    fuzz::Require(dotted::Parse(shown) == bytes);
    fuzz::Require(dotted::LeadingNumber(shown) == static_cast<int>(bytes[0]));
    // Any text: no overflow, no read past its end (the sanitizers judge).
    static_cast<void>(dotted::LeadingNumber(text));
    return 0;
}
