// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/pages/TaskChoicePage.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "core/job/RunContext.h"
#include "core/prefs/SettingsStore.h"
#include "gui/widgets/PageLabel.h"
#include "gui/wizard/WalkChoices.h"
#include "gui/wizard/WizardSheet.h"

namespace quillmarch {

TaskChoicePage::TaskChoicePage(RunContext& app, ISettingsBackend& settings, QWidget* parent)
    : WizardPage(app, kTemplateId, kSideBitmapId, parent), m_settings(settings) {
    setObjectName(QStringLiteral("pageUpgradeChoice"));
    SetHeader(tr("Tasks"), tr("Choose what this run does to the system."));
    m_heading = new PageLabel(this);
    m_heading->setObjectName(QStringLiteral("labelHeading"));
    m_heading->setWordWrap(true);
    m_updateSoftwareBox = new QCheckBox(this);
    m_updateSoftwareBox->setObjectName(QStringLiteral("checkUpdateSoftware"));
    m_changeSettingsBox = new QCheckBox(this);
    m_changeSettingsBox->setObjectName(QStringLiteral("checkChangeSettings"));
    m_eraseFlashBox = new QCheckBox(this);
    m_eraseFlashBox->setObjectName(QStringLiteral("checkEraseFlash"));
    Content()->addWidget(m_heading);
    Content()->addSpacing(16);
    for (QCheckBox* box : {m_updateSoftwareBox, m_changeSettingsBox, m_eraseFlashBox}) {
        Content()->addWidget(box);
        connect(box, &QCheckBox::clicked, this, [this] {
            ControlsToValues();
            UpdateNextButton();
        });
    }
    m_refusal = new PageLabel(this);
    m_refusal->setObjectName(QStringLiteral("labelRefusal"));
    m_refusal->setWordWrap(true);
    m_refusal->hide();
    Content()->addSpacing(8);
    Content()->addWidget(m_refusal);
    Content()->addStretch(1);
}

void TaskChoicePage::PageCreated() {
    LoadSideBitmap();
    m_heading->SetText(m_app.Job().tasks.customUpdate
                           ? UiString(128, "Please select your preferred update method.")
                           : UiString(212, "Please select the tasks to be performed."));
    m_updateSoftwareBox->setText(Mnemonic(UiString(127, "Update Software"), QLatin1Char('U')));
    m_changeSettingsBox->setText(
        Mnemonic(UiString(251, "Change System Settings"), QLatin1Char('S')));
    m_eraseFlashBox->setText(
        Mnemonic(UiString(252, "Erase System Flash Memory"), QLatin1Char('E')));
}

void TaskChoicePage::PageShown() {
    m_updateSoftware = m_app.Job().tasks.updateSoftware;
    m_changeSettings = m_app.Job().tasks.changeSettings;
    m_eraseFlash = m_app.Job().tasks.eraseFlash;
    // Typical offers the software update only; the hidden choices keep their job values.
    m_changeSettingsBox->setVisible(m_app.Job().tasks.customUpdate);
    m_eraseFlashBox->setVisible(m_app.Job().tasks.customUpdate);
    m_updateSoftwareBox->setChecked(m_updateSoftware);
    m_changeSettingsBox->setChecked(m_changeSettings);
    m_eraseFlashBox->setChecked(m_eraseFlash);
    UpdateNextButton();
}

void TaskChoicePage::ControlsToValues() {
    m_updateSoftware = m_updateSoftwareBox->isChecked();
    m_changeSettings = m_changeSettingsBox->isChecked();
    m_eraseFlash = m_eraseFlashBox->isChecked();
}

QString TaskChoicePage::RefusalFor(bool custom, bool update, bool settings, bool erase) {
    // Typical shows the software update only; a hidden task is no reason to go on.
    if (!update && !(custom && (settings || erase))) return tr("Choose at least one task.");
    // A run erases only without a software update (UpdateRun refuses the pair): offering both
    // would promise an erase that never happens.
    if (custom && update && erase)
        return tr(
            "Erasing the flash memory and updating the software cannot be done in one "
            "run. Untick one of them: erase first, then run the update again.");
    return {};
}

void TaskChoicePage::UpdateNextButton() {
    const QString refusal = RefusalFor(m_app.Job().tasks.customUpdate, m_updateSoftware,
                                       m_changeSettings, m_eraseFlash);
    m_refusal->setText(refusal);
    m_refusal->setVisible(!refusal.isEmpty());
    EnableNext(refusal.isEmpty());
}

int TaskChoicePage::ValidateNext() {
    ControlsToValues();
    if (!RefusalFor(m_app.Job().tasks.customUpdate, m_updateSoftware, m_changeSettings,
                    m_eraseFlash)
             .isEmpty())
        return kStay;
    m_app.Job().tasks.updateSoftware = m_updateSoftware;
    m_app.Job().tasks.changeSettings = m_changeSettings;
    m_app.Job().tasks.eraseFlash = m_eraseFlash;
    // Tasks Typical does not show, or settings under an unticked task, must not run.
    WalkChoices::DropHiddenChoices(m_app.Job());
    std::string stored = m_app.Job().tasks.updateSoftware ? "yes" : "no";
    SettingsStore(m_settings).AccessSetting(true, "UploadSoftware", stored);
    return kAdvance;
}

}  // namespace quillmarch
