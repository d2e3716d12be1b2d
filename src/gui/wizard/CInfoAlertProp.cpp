#include "gui/wizard/CInfoAlertProp.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/CWalkRules.h"
#include "gui/wizard/CQuillmarchSheet.h"

namespace quillmarch {

CInfoAlertProp::CInfoAlertProp(CQuillmarch6App& app, QWidget* parent)
    : CWizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageInfoAlert"));
    // The note is part of the page itself, not of the UI string tables.
    m_pNote = new QLabel(
        QStringLiteral("Note: If this system is registered to a Tessary HLM server, you must "
                       "disable registration to any other directory servers after this "
                       "update is complete."),
        this);
    m_pNote->setObjectName(QStringLiteral("labelNote"));
    m_pNote->setWordWrap(true);
    Content()->addSpacing(20);
    Content()->addWidget(m_pNote);
    Content()->addStretch(1);
}

void CInfoAlertProp::OnInitDialog() {
    LoadSideBitmap();
}

void CInfoAlertProp::OnSetActive() {
    RememberSheet();
    if (!Sheet()) return;
    Sheet()->ArrangeButtons();
    Sheet()->Button(CQuillmarchSheet::IDHELP)->hide();
}

int CInfoAlertProp::OnWizardNext() {
    AddNextPage(CWalkRules::kInfoAlert);
    return kAdvance;
}

}  // namespace quillmarch
