// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/pages/SettingsChoicePage.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "core/catalogue/ModelCatalogue.h"
#include "core/job/RunContext.h"
#include "gui/widgets/PageLabel.h"
#include "gui/wizard/WizardSheet.h"

namespace quillmarch {

SettingsChoicePage::SettingsChoicePage(RunContext& app, QWidget* parent)
    : WizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageChangeSettings"));
    SetHeader(tr("Settings to change"),
              tr("Choose which of the system's settings this run changes."));
    m_heading = new PageLabel(this);
    m_heading->setObjectName(QStringLiteral("labelHeading"));
    m_heading->setWordWrap(true);
    m_lan = new QCheckBox(this);
    m_lan->setObjectName(QStringLiteral("checkLan"));
    m_secureMode = new QCheckBox(this);
    m_secureMode->setObjectName(QStringLiteral("checkSecureMode"));
    m_display = new QCheckBox(this);
    m_display->setObjectName(QStringLiteral("checkDisplay"));
    m_securityNote = new PageLabel(this);
    m_securityNote->setObjectName(QStringLiteral("labelSecurityNote"));
    m_securityNote->setWordWrap(true);
    Content()->addWidget(m_heading);
    Content()->addSpacing(16);
    for (QCheckBox* box : {m_lan, m_secureMode, m_display}) {
        Content()->addWidget(box);
        connect(box, &QCheckBox::clicked, this, &SettingsChoicePage::UpdateNextButton);
    }
    connect(m_secureMode, &QCheckBox::clicked, this, &SettingsChoicePage::UpdateSecurityNote);
    Content()->addSpacing(16);
    Content()->addWidget(m_securityNote);
    Content()->addStretch(1);
}

void SettingsChoicePage::PageCreated() {
    LoadSideBitmap();
    m_heading->SetText(UiString(253, "Please select the settings you wish to change."));
    m_lan->setText(Mnemonic(UiString(254, "LAN Properties"), QLatin1Char('L')));
    m_secureMode->setText(Mnemonic(UiString(255, "Enable Secure Mode"), QLatin1Char('S')));
    m_display->setText(Mnemonic(UiString(256, "Primary Display Properties"), QLatin1Char('D')));
}

void SettingsChoicePage::PageShown() {
    m_lan->setChecked(m_app.Job().lan.changeLan);
    // The security mode can be changed only when the system said which mode it is in; a
    // hidden box leaves its place in the column to the display box.
    const bool reported = Sheet() && Sheet()->SecureModeReported();
    m_secureMode->setChecked(reported ? m_app.Job().security.secureModeWanted
                                      : m_app.Job().security.secureModeCurrent);
    m_secureMode->setVisible(reported);
    m_display->setChecked(m_app.Job().display.changeDisplay);
    const bool displayModel = ModelCatalogue::IsDisplaySettingsModel(m_app.Job().target.systemType);
    if (!displayModel) m_display->setChecked(false);
    m_display->setVisible(displayModel);
    UpdateNextButton();
    UpdateSecurityNote();
    m_lan->show();
}

void SettingsChoicePage::UpdateNextButton() {
    EnableNext(m_display->isChecked() || m_lan->isChecked() ||
               m_secureMode->isChecked() != m_app.Job().security.secureModeCurrent);
}

void SettingsChoicePage::UpdateSecurityNote() {
    const bool wanted = m_secureMode->isChecked();
    if (wanted == m_app.Job().security.secureModeCurrent) {
        m_securityNote->hide();
        return;
    }
    m_securityNote->SetText(
        wanted ? UiString(216,
                          "Please note that enabling security mode will only allow secured "
                          "access to this system")
               : UiString(217,
                          "Please note that disabling security mode will allow unsecured access "
                          "to this system."));
    m_securityNote->show();
}

int SettingsChoicePage::ValidateNext() {
    m_app.Job().lan.changeLan = m_lan->isChecked();
    m_app.Job().security.secureModeWanted = m_secureMode->isChecked();
    m_app.Job().display.changeDisplay = m_display->isChecked();
    return kAdvance;
}

}  // namespace quillmarch
