// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include "core/prefs/ISettingsBackend.h"

namespace quillmarch {

// The settings store on QSettings: the current user's registry key
// "Software\Tessary\Quillmarch" on Windows, ~/.config/Tessary/Quillmarch.conf elsewhere.
class QtSettingsBackend : public ISettingsBackend {
public:
    // The program's own store.
    QtSettingsBackend() = default;
    // A settings file of the caller's choosing (tests, portable set-ups).
    explicit QtSettingsBackend(QString filePath) : m_filePath(std::move(filePath)) {}

    bool Read(const std::string& name, std::string& value) override;
    void Write(const std::string& name, const std::string& value) override;

private:
    QString m_filePath;
};

}  // namespace quillmarch
