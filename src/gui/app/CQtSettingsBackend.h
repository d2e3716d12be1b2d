#pragma once

#include <QString>

#include "core/app/ISettingsBackend.h"

namespace quillmarch {

// The settings store on QSettings: the current user's registry key
// "Software\Tessary\Quillmarch" on Windows, ~/.config/Tessary/Quillmarch.conf elsewhere.
class CQtSettingsBackend : public ISettingsBackend {
public:
    // The program's own store.
    CQtSettingsBackend() = default;
    // A settings file of the caller's choosing (tests, portable set-ups).
    explicit CQtSettingsBackend(QString filePath) : m_strFilePath(std::move(filePath)) {}

    bool Read(const std::string& name, std::string& value) override;
    void Write(const std::string& name, const std::string& value) override;

private:
    QString m_strFilePath;
};

}  // namespace quillmarch
