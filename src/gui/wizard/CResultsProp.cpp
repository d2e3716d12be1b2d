#include "gui/wizard/CResultsProp.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "core/app/CQuillmarch6App.h"
#include "core/catalogue/CSystemInformationArray.h"
#include "core/link/CSystemWebClient.h"
#include "gui/widgets/CLabel.h"
#include "gui/widgets/CStaticBmpEx.h"
#include "gui/wizard/CQuillmarchSheet.h"

namespace quillmarch {

namespace {

constexpr int kTickWidth = 16;
constexpr int kTickHeight = 15;
constexpr int kIndent = 24;

}  // namespace

CResultsProp::CResultsProp(CQuillmarch6App& app, QWidget* parent)
    : CWizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageResults"));
    m_pMainText = new CLabel(this);
    m_pMainText->setObjectName(QStringLiteral("labelMainText"));
    m_pMainText->setWordWrap(true);
    Content()->addWidget(m_pMainText);
    Content()->addSpacing(8);
    BuildLine(kUpdate, "Update", false);
    BuildLine(kChange, "Change", false);
    BuildLine(kLan, "Lan", true);
    BuildLine(kSecurity, "Security", true);
    BuildLine(kDisplay, "Display", true);
    BuildLine(kErase, "Erase", false);
    Content()->addStretch(1);
}

void CResultsProp::BuildLine(int line, const char* name, bool indented) {
    SLine& entry = m_aLines[static_cast<size_t>(line)];
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    if (indented) row->addSpacing(kIndent);
    entry.tick = new CStaticBmpEx(this);
    entry.tick->setObjectName(QStringLiteral("tick") + QLatin1String(name));
    entry.tick->setFixedSize(kTickWidth, kTickHeight);
    entry.text = new QLabel(this);
    entry.text->setObjectName(QStringLiteral("line") + QLatin1String(name));
    row->addWidget(entry.tick);
    row->addWidget(entry.text, 1);
    Content()->addLayout(row);
}

void CResultsProp::SetLine(int line, const QString& text, bool ticked, bool shown) {
    SLine& entry = m_aLines[static_cast<size_t>(line)];
    entry.tick->LoadBitmap(ticked ? kTickBitmapId : kBlankBitmapId);
    entry.text->setText(text);
    entry.tick->setVisible(shown);
    entry.text->setVisible(shown);
}

void CResultsProp::OnInitDialog() {
    LoadSideBitmap();
    m_pMainText->SetText(
        UiString(157,
                 "Quillmarch now has all required information to update your system.\n\nClick "
                 "Next to Start the update."));
    const CQuillmarch6App& job = m_app;
    const bool custom = job.m_bCustomUpdate;
    const bool change = job.m_bChangeSettings;
    const bool display = CSystemInformationArray::IsDisplaySettingsModel(job.m_nSystemType);
    SetLine(kUpdate, UiString(127, "Upgrade Software"), job.m_bUpdateSoftware, true);
    SetLine(kChange, UiString(251, "Change System Settings"), change, custom);
    SetLine(kLan, UiString(254, "LAN Properties"), change && job.m_bChangeLan, custom);
    // Security mode is never listed, whatever was chosen.
    SetLine(kSecurity, UiString(255, "Enable Secure Mode"), change && job.m_bSecureModeWanted,
            false);
    SetLine(kDisplay, UiString(256, "Primary Display Properties"), change && job.m_bChangeDisplay,
            custom && display);
    SetLine(kErase, UiString(252, "Erase System Flash Memory"), job.m_bEraseFlash, custom);
}

void CResultsProp::OnSetActive() {
    RememberSheet();
    if (!Sheet()) return;
    Sheet()->SetWizardButtons(CQuillmarchSheet::PSWIZB_BACK | CQuillmarchSheet::PSWIZB_FINISH);
    Sheet()->Button(CQuillmarchSheet::ID_WIZFINISH)->setText(UiString(122, "Next"));
}

int CResultsProp::OnWizardBack() {
    if (Sheet())
        Sheet()->SetWizardButtons(CQuillmarchSheet::PSWIZB_BACK | CQuillmarchSheet::PSWIZB_NEXT);
    return kAdvance;
}

bool CResultsProp::OnWizardFinish() {
    if (!Sheet()) return false;
    auto inCall = std::make_shared<bool>(false);
    CQuillmarch6App& app = m_app;
    Sheet()->RunOnDevice(
        this, [&app, inCall] { *inCall = CSystemWebClient(app).IsSystemInCall(); },
        [this, inCall] { OnCallChecked(*inCall); });
    return false;  // the wizard ends once the answer is in
}

void CResultsProp::OnCallChecked(bool inCall) {
    if (inCall && !AskToBreakCall()) return;  // stays on the summary; Finish asks again
    Sheet()->EndWizard(CQuillmarchSheet::ID_WIZFINISH);
}

}  // namespace quillmarch
