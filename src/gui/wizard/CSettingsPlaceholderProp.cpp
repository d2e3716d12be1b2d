#include "gui/wizard/CSettingsPlaceholderProp.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quillmarch {

CSettingsPlaceholderProp::CSettingsPlaceholderProp(CQuillmarch6App& app, int templateId,
                                                   int sideBitmapId, const QString& objectName,
                                                   QWidget* parent)
    : CWizardPage(app, templateId, sideBitmapId, parent) {
    setObjectName(objectName);
    m_pNotice = new QLabel(this);
    m_pNotice->setObjectName(QStringLiteral("labelNotAvailable"));
    m_pNotice->setWordWrap(true);
    m_pNotice->setText(
        tr("Changing system settings is not available in this build of Quillmarch.\n\n"
           "Click Back and untick Change System Settings to go on."));
    Content()->addSpacing(20);
    Content()->addWidget(m_pNotice);
    Content()->addStretch(1);
}

void CSettingsPlaceholderProp::OnInitDialog() {
    LoadSideBitmap();
}

void CSettingsPlaceholderProp::OnSetActive() {
    RememberSheet();
    TruncateAfterThis();
    EnableNext(false);
}

int CSettingsPlaceholderProp::OnWizardNext() {
    return kStay;
}

}  // namespace quillmarch
