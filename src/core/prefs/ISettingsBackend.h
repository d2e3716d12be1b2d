// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch {

// Where the stored choices live: the registry key on Windows, a settings file elsewhere.
// Every call opens and closes the store; nothing is cached between calls.
class ISettingsBackend {
public:
    virtual ~ISettingsBackend() = default;
    // True with the stored text when the value exists and the store could be opened.
    virtual bool Read(const std::string& name, std::string& value) = 0;
    // Stores the text as is; a store that cannot be opened keeps nothing.
    virtual void Write(const std::string& name, const std::string& value) = 0;
};

}  // namespace quillmarch
