// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/prefs/SettingsStore.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "core/job/RunContext.h"

namespace quillmarch {

namespace {

bool EqualsNoCase(const std::string& text, const std::string& word) {
    return text.size() == word.size() &&
           std::equal(text.begin(), text.end(), word.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// The leading decimal number of a text, as the C library's atoi reads it; 0 without digits.
int LeadingInteger(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    long long number = 0;
    for (; pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])); ++pos) {
        number = std::min<long long>(number * 10 + (text[pos] - '0'), LLONG_MAX / 16);
    }
    if (negative) number = -number;
    return static_cast<int>(std::clamp<long long>(number, INT_MIN, INT_MAX));
}

}  // namespace

std::string SettingsStore::Cut(const std::string& text) {
    if (text.size() <= kMaxValueLength) return text;
    std::size_t length = kMaxValueLength;
    // Back off over continuation bytes so that a multi-byte character is dropped whole.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    return text.substr(0, length);
}

bool SettingsStore::AccessSetting(bool write, const std::string& name, std::string& value,
                                  const char* defaultValue) {
    if (write) {
        m_backend.Write(name, Cut(value));
        return false;
    }
    value.clear();
    std::string stored;
    if (m_backend.Read(name, stored) && stored.size() <= kMaxValueLength) {
        value = stored;
        return true;
    }
    value = defaultValue ? defaultValue : "";
    return false;
}

void SettingsStore::LoadSettings(RunContext& app) {
    std::string value;
    AccessSetting(false, "UploadSoftware", value, "yes");
    app.Job().tasks.updateSoftware = EqualsNoCase(value, "yes");
    AccessSetting(false, "Language", value, "0");
    app.Job().options.language = LeadingInteger(value);
}

}  // namespace quillmarch
