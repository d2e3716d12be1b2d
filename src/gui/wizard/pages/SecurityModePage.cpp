// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/pages/SecurityModePage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <memory>

#include "core/job/RunContext.h"
#include "core/util/TextUtil.h"
#include "gui/widgets/PageLabel.h"
#include "gui/wizard/WizardSheet.h"

namespace quillmarch {

namespace {

std::string TrimRight(const std::string& text) {
    const auto last = text.find_last_not_of(text::kBlanks);
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

}  // namespace

SecurityModePage::SecurityModePage(RunContext& app, QWidget* parent)
    : WizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageSecureMode"));
    SetHeader(tr("Security mode"), tr("The new passwords the system uses in security mode."));
    m_heading = new PageLabel(this);
    m_heading->setObjectName(QStringLiteral("labelHeading"));
    m_heading->setWordWrap(true);
    m_useRoom = new QCheckBox(this);
    m_useRoom->setObjectName(QStringLiteral("checkUseRoom"));
    m_useRoom->setChecked(true);
    Content()->addWidget(m_heading);
    Content()->addWidget(m_useRoom);
    m_room = AddPasswordRow(m_roomLabel, "labelRoom", "editRoom");
    m_roomConfirm = AddPasswordRow(m_roomConfirmLabel, "labelRoomConfirm", "editRoomConfirm");
    m_remote = AddPasswordRow(m_remoteLabel, "labelRemote", "editRemote");
    m_remoteConfirm =
        AddPasswordRow(m_remoteConfirmLabel, "labelRemoteConfirm", "editRemoteConfirm");
    m_message = new PageLabel(this);
    m_message->setObjectName(QStringLiteral("labelMessage"));
    m_message->setWordWrap(true);
    m_message->hide();
    Content()->addWidget(m_message);
    Content()->addStretch(1);
    connect(m_useRoom, &QCheckBox::clicked, this, &SecurityModePage::ApplyCheckBoxView);
}

QLineEdit* SecurityModePage::AddPasswordRow(QLabel*& label, const char* labelName,
                                            const char* editName) {
    label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(labelName));
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(editName));
    edit->setEchoMode(QLineEdit::Password);
    label->setBuddy(edit);  // its name and its Alt shortcut
    auto* row = new QHBoxLayout;
    row->addWidget(label, 1);
    row->addWidget(edit, 2);
    Content()->addLayout(row);
    return edit;
}

void SecurityModePage::PageCreated() {
    LoadSideBitmap();
    ReadSerialNumber();
    m_message->hide();  // a page appended anew starts without the last refusal
    m_useRoom->setText(
        Mnemonic(UiString(283,
                          "Please enter admin password.  Password should not be empty or "
                          "default when secure mode is enabled."),
                 QLatin1Char('U')));
    m_roomLabel->setText(Mnemonic(UiString(264, "Password:"), QLatin1Char('R')));
    m_roomConfirmLabel->setText(Mnemonic(UiString(265, "Verify"), QLatin1Char('C')));
    m_remoteLabel->setText(Mnemonic(UiString(284, "Password:"), QLatin1Char('m')));
    m_remoteConfirmLabel->setText(Mnemonic(UiString(265, "Verify"), QLatin1Char('f')));
}

void SecurityModePage::ReadSerialNumber() {
    m_serialNumber.clear();
    if (!Sheet()) return;
    auto serial = std::make_shared<std::string>();
    RunContext& app = m_app;
    Sheet()->RunOnDevice(
        this,
        [&app, serial] {
            // Stays empty when the file cannot be fetched.
            if (app.m_link && !app.m_link->DownloadDatFile("serialnumber", *serial))
                serial->clear();
        },
        [this, serial] { m_serialNumber = TrimRight(*serial); });
}

void SecurityModePage::PageShown() {
    EnableNext(true);
    m_useRoom->setChecked(m_app.Job().security.useRoomForRemote);
    ApplyCheckBoxView();
}

void SecurityModePage::ApplyCheckBoxView() {
    const bool useRoom = m_useRoom->isChecked();
    for (QWidget* remote :
         {static_cast<QWidget*>(m_remoteLabel), static_cast<QWidget*>(m_remote),
          static_cast<QWidget*>(m_remoteConfirmLabel), static_cast<QWidget*>(m_remoteConfirm)})
        remote->setVisible(!useRoom);
    m_heading->SetText(HeadingFor(m_app.Job().security.secureModeCurrent, useRoom));
}

QString SecurityModePage::HeadingFor(bool secureModeNow, bool useRoomForRemote) {
    // Says what the system reports and what the run will do; the old wording claimed security
    // mode was on while the system reported it off.
    const QString state = secureModeNow
                              ? tr("This system runs in security mode now, and it stays on.")
                              : tr("This system does not run in security mode now: this update "
                                   "switches it on.");
    const QString asked = useRoomForRemote
                              ? tr("Enter a new room password; remote access will use it too.")
                              : tr("Enter a new room password and a new remote access password.");
    return state + QLatin1Char(' ') + asked;
}

QString SecurityModePage::WeakPasswordText() {
    return tr(
        "A password for security mode may not be empty, the current password or the "
        "system's serial number. To keep the current password, go Back and leave security "
        "mode as it is.");
}

bool SecurityModePage::IsAcceptable(const QString& password, const std::string& current) const {
    const std::string typed = password.toStdString();
    return !typed.empty() && !text::EqualsNoCase(typed, current) &&
           !text::EqualsNoCase(typed, m_serialNumber);
}

int SecurityModePage::ValidateNext() {
    const bool useRoom = m_useRoom->isChecked();
    if ((!useRoom && m_remote->text() != m_remoteConfirm->text()) ||
        m_room->text() != m_roomConfirm->text()) {
        m_message->SetText(UiString(
            213,
            "The passwords you typed do not match. Please retype the new password in both boxes."));
        m_message->show();
        return kStay;
    }
    const bool remoteOk = useRoom || IsAcceptable(m_remote->text(), m_app.Job().target.password);
    const bool roomOk = IsAcceptable(m_room->text(), m_app.Job().security.roomPassword);
    if (!remoteOk || !roomOk) {
        m_message->SetText(WeakPasswordText());
        m_message->show();
        return kStay;
    }
    m_message->hide();
    m_app.Job().security.useRoomForRemote = useRoom;
    m_app.Job().security.newRoomPassword = m_room->text().toStdString();
    m_app.Job().security.newRemotePassword =
        useRoom ? m_app.Job().security.newRoomPassword : m_remote->text().toStdString();
    return kAdvance;
}

}  // namespace quillmarch
