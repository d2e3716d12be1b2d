#include "gui/wizard/CSoftwareUpgradeProp.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

#include "core/app/CQuillmarch6App.h"
#include "core/app/CWalkRules.h"
#include "core/catalogue/CSystemInformationArray.h"
#include "gui/widgets/CLabel.h"

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

CSoftwareUpgradeProp::CSoftwareUpgradeProp(CQuillmarch6App& app, QWidget* parent)
    : CWizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageSoftwareUpgrade"));
    m_pHeading = new CLabel(this);
    m_pHeading->setObjectName(QStringLiteral("labelHeading"));
    m_pHeading->setWordWrap(true);
    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("groupRetain"));
    auto* column = new QVBoxLayout(group);
    column->setSpacing(10);
    m_pSystemSettings = MakeBox(group, column, "checkSystemSettings", false);
    m_pDirectory = MakeBox(group, column, "checkDirectory", true);
    m_pSampleSites = MakeBox(group, column, "checkSampleSites", true);
    m_pCallDetail = MakeBox(group, column, "checkCallDetail", false);
    Content()->addWidget(m_pHeading);
    Content()->addWidget(group);
    Content()->addStretch(1);
}

bool CSoftwareUpgradeProp::IsFirstModel() const {
    return CSystemInformationArray::IsFirstModel(m_app.m_nSystemType);
}

void CSoftwareUpgradeProp::OnInitDialog() {
    LoadSideBitmap();
    m_pCallDetail->setChecked(m_app.m_bRetainCallDetail);
    m_pDirectory->setChecked(m_app.m_bRetainDirectory);
    m_pSystemSettings->setChecked(m_app.m_bRetainSystemSettings);
    m_pHeading->SetText(
        UiString(41, "How should Quillmarch handle your current addresses and system files?"));
    m_pDirectory->setText(UiString(47, "Save the entries in my Directory or Address Book"));
    m_pSystemSettings->setText(UiString(48, "Save my current system settings"));
    m_pSampleSites->setText(UiString(242, "Save the entries in my Directory or Address Book"));
    // Hidden boxes keep the job's value, so a Typical update retains the call detail report.
    m_pCallDetail->setVisible(m_app.m_bCustomUpdate);
    if (m_app.m_bCustomUpdate) m_pCallDetail->setText(UiString(220, "Call Detail Report"));
    // The first model has no sample sites to keep.
    if (IsFirstModel()) m_app.m_bRetainSampleSites = false;
    m_pSampleSites->setVisible(!IsFirstModel());
    m_pSampleSites->setChecked(m_app.m_bRetainSampleSites);
}

void CSoftwareUpgradeProp::OnSetActive() {
    RememberSheet();
    EnableNext(true);
    TruncateAfterThis();
}

int CSoftwareUpgradeProp::OnWizardNext() {
    m_app.m_bRetainDirectory = m_pDirectory->isChecked();
    m_app.m_bRetainSystemSettings = m_pSystemSettings->isChecked();
    m_app.m_bRetainCallDetail = m_pCallDetail->isChecked();
    if (!IsFirstModel()) m_app.m_bRetainSampleSites = m_pSampleSites->isChecked();
    AddNextPage(CWalkRules::kSoftwareUpgrade);
    return kAdvance;
}

}  // namespace quillmarch
