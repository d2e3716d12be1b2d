// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/link/PlainFileName.h"

#include <algorithm>
#include <string>

#include "core/util/TextUtil.h"

namespace quillmarch::ftp {

namespace {

// Windows opens a device, not a file, for these names whatever their extension.
bool IsDeviceName(std::string_view name) {
    const std::string stem = text::Upper(std::string(name.substr(0, name.find('.'))));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices) {
        if (stem == device) return true;
    }
    const bool numbered =
        stem.size() == 4 && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0);
    return numbered && stem[3] >= '0' && stem[3] <= '9';
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > kMaxFileNameBytes) return false;
    if (name.find("..") != std::string_view::npos) return false;
    if (name.find_first_of("/\\:") != std::string_view::npos) return false;
    const bool control = std::any_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
    if (control) return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    return !IsDeviceName(name);
}

}  // namespace quillmarch::ftp
