// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>

#include "core/prefs/ISettingsBackend.h"

namespace quillmarch {

class RunContext;

// The few choices that outlive the process: the update-software default, the UI language and
// the per-model address histories. Failures are silent: an unreadable value is absent and
// takes its default, an unwritable one is not stored.
class SettingsStore {
public:
    // Values are stored with at most this many bytes and read back whole up to it.
    static constexpr std::size_t kMaxValueLength = 1023;

    explicit SettingsStore(ISettingsBackend& backend) : m_backend(backend) {}

    // Reading (write false): true with the stored text; otherwise the value becomes the default
    // (empty when there is none) and the answer is false. Writing stores the text cut to
    // kMaxValueLength and always answers false.
    bool AccessSetting(bool write, const std::string& name, std::string& value,
                       const char* defaultValue = nullptr);

    // Wizard start: "UploadSoftware" then "Language" into the job record.
    void LoadSettings(RunContext& app);

    // The text cut to kMaxValueLength bytes, never inside a UTF-8 sequence.
    static std::string Cut(const std::string& text);

private:
    ISettingsBackend& m_backend;
};

}  // namespace quillmarch
