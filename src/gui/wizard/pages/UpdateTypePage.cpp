// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/pages/UpdateTypePage.h"

#include <QRadioButton>
#include <QVBoxLayout>

#include "core/job/RunContext.h"
#include "gui/widgets/PageLabel.h"

namespace quillmarch {

UpdateTypePage::UpdateTypePage(RunContext& app, QWidget* parent)
    : WizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageUpgradeType"));
    SetHeader(tr("Update type"), tr("Typical updates the software only; Custom also lets you "
                                    "change the system's settings or erase its flash memory."));
    m_heading = new PageLabel(this);
    m_heading->setObjectName(QStringLiteral("labelHeading"));
    m_heading->setWordWrap(true);
    // One parent, so the two form one exclusive group.
    m_typical = new QRadioButton(this);
    m_typical->setObjectName(QStringLiteral("radioTypical"));
    m_custom = new QRadioButton(this);
    m_custom->setObjectName(QStringLiteral("radioCustom"));
    Content()->addWidget(m_heading);
    Content()->addSpacing(16);
    Content()->addWidget(m_typical);
    Content()->addWidget(m_custom);
    Content()->addStretch(1);
}

void UpdateTypePage::PageCreated() {
    LoadSideBitmap();
    (m_app.Job().tasks.customUpdate ? m_custom : m_typical)->setChecked(true);
    m_heading->SetText(UiString(250, "Please choose the update type."));
    m_custom->setText(Mnemonic(UiString(249, "Custom"), QLatin1Char('C')));
    m_typical->setText(Mnemonic(UiString(248, "Typical"), QLatin1Char('T')));
}

void UpdateTypePage::PageShown() {
    EnableNext(true);
}

int UpdateTypePage::ValidateNext() {
    m_app.Job().tasks.customUpdate = m_custom->isChecked();
    return kAdvance;
}

}  // namespace quillmarch
