// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/pages/RetainedDataPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

#include "core/catalogue/ModelCatalogue.h"
#include "core/job/RunContext.h"
#include "gui/widgets/PageLabel.h"

namespace quillmarch {

namespace {

QCheckBox* MakeBox(QWidget* parent, QLayout* layout, const char* name, bool multiLine) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    if (multiLine) box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    layout->addWidget(box);
    return box;
}

}  // namespace

RetainedDataPage::RetainedDataPage(RunContext& app, QWidget* parent)
    : WizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageSoftwareUpgrade"));
    SetHeader(tr("Data to keep"), tr("Choose which of the system's data survives the update."));
    m_heading = new PageLabel(this);
    m_heading->setObjectName(QStringLiteral("labelHeading"));
    m_heading->setWordWrap(true);
    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("groupRetain"));
    auto* column = new QVBoxLayout(group);
    column->setSpacing(10);
    m_systemSettings = MakeBox(group, column, "checkSystemSettings", false);
    m_directory = MakeBox(group, column, "checkDirectory", true);
    m_sampleSites = MakeBox(group, column, "checkSampleSites", true);
    m_callDetail = MakeBox(group, column, "checkCallDetail", false);
    Content()->addWidget(m_heading);
    Content()->addWidget(group);
    Content()->addStretch(1);
}

bool RetainedDataPage::IsFirstModel() const {
    return ModelCatalogue::IsFirstModel(m_app.Job().target.systemType);
}

void RetainedDataPage::PageCreated() {
    LoadSideBitmap();
    m_callDetail->setChecked(m_app.Job().retain.callDetail);
    m_directory->setChecked(m_app.Job().retain.directory);
    m_systemSettings->setChecked(m_app.Job().retain.systemSettings);
    m_heading->SetText(
        UiString(41, "How should Quillmarch handle your current addresses and system files?"));
    m_directory->setText(Mnemonic(UiString(47, "Save the entries in my Directory or Address Book"),
                                  QLatin1Char('D')));
    m_systemSettings->setText(
        Mnemonic(UiString(48, "Save my current system settings"), QLatin1Char('S')));
    m_sampleSites->setText(Mnemonic(
        UiString(242, "Save the entries in my Directory or Address Book"), QLatin1Char('m')));
    // Hidden boxes keep the job's value, so a Typical update retains the call detail report.
    m_callDetail->setVisible(m_app.Job().tasks.customUpdate);
    if (m_app.Job().tasks.customUpdate)
        m_callDetail->setText(Mnemonic(UiString(220, "Call Detail Report"), QLatin1Char('C')));
    // The first model has no sample sites to keep.
    if (IsFirstModel()) m_app.Job().retain.sampleSites = false;
    m_sampleSites->setVisible(!IsFirstModel());
    m_sampleSites->setChecked(m_app.Job().retain.sampleSites);
}

void RetainedDataPage::PageShown() {
    EnableNext(true);
}

int RetainedDataPage::ValidateNext() {
    m_app.Job().retain.directory = m_directory->isChecked();
    m_app.Job().retain.systemSettings = m_systemSettings->isChecked();
    m_app.Job().retain.callDetail = m_callDetail->isChecked();
    if (!IsFirstModel()) m_app.Job().retain.sampleSites = m_sampleSites->isChecked();
    return kAdvance;
}

}  // namespace quillmarch
