// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/app/QtSettingsBackend.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace quillmarch {

namespace {

// Opened afresh for every access, as the store promises; QSettings keeps instances of the
// same file consistent with each other.
std::unique_ptr<QSettings> Open(const QString& filePath) {
    if (filePath.isEmpty()) {
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QStringLiteral("Tessary"), QStringLiteral("Quillmarch"));
    }
    return std::make_unique<QSettings>(filePath, QSettings::IniFormat);
}

}  // namespace

bool QtSettingsBackend::Read(const std::string& name, std::string& value) {
    const auto settings = Open(m_filePath);
    const QString key = QString::fromStdString(name);
    if (settings->status() != QSettings::NoError || !settings->contains(key)) return false;
    const QVariant stored = settings->value(key);
    // A hand-edited file may hold an unquoted list ("a,b"), which QSettings splits.
    value = stored.typeId() == QMetaType::QStringList
                ? stored.toStringList().join(QLatin1Char(',')).toStdString()
                : stored.toString().toStdString();
    return true;
}

void QtSettingsBackend::Write(const std::string& name, const std::string& value) {
    const auto settings = Open(m_filePath);
    settings->setValue(QString::fromStdString(name), QString::fromStdString(value));
    settings->sync();
}

}  // namespace quillmarch
