// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <string>

#include "gui/wizard/WizardPage.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace quillmarch {

class PageLabel;

// The security page, shown when the security mode is switched on: new room and remote access
// passwords, each typed twice. The passwords are echoed masked and go nowhere but the job's new
// password fields (and from there only into the provisioning file).
class SecurityModePage : public WizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 194;
    static constexpr int kSideBitmapId = 190;

    explicit SecurityModePage(RunContext& app, QWidget* parent = nullptr);

    void PageCreated() override;
    void PageShown() override;
    int ValidateNext() override;

    // The heading: the system's reported mode, what the run does with it, and which
    // passwords the page asks for.
    static QString HeadingFor(bool secureModeNow, bool useRoomForRemote);
    // Why a typed password is refused.
    static QString WeakPasswordText();

private:
    void ApplyCheckBoxView();
    void ReadSerialNumber();
    // Not empty, and different (ignoring letter case) from the password to be replaced and
    // from the serial number.
    bool IsAcceptable(const QString& password, const std::string& current) const;
    QLineEdit* AddPasswordRow(QLabel*& label, const char* labelName, const char* editName);

    PageLabel* m_heading = nullptr;
    QCheckBox* m_useRoom = nullptr;
    QLabel* m_roomLabel = nullptr;
    QLineEdit* m_room = nullptr;
    QLabel* m_roomConfirmLabel = nullptr;
    QLineEdit* m_roomConfirm = nullptr;
    QLabel* m_remoteLabel = nullptr;
    QLineEdit* m_remote = nullptr;
    QLabel* m_remoteConfirmLabel = nullptr;
    QLineEdit* m_remoteConfirm = nullptr;
    PageLabel* m_message = nullptr;
    std::string m_serialNumber;  // empty when it could not be read
};

}  // namespace quillmarch
