#include "gui/wizard/CResultsProp.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "core/app/CQuillmarch6App.h"
#include "core/catalogue/CSystemInformationArray.h"
#include "core/link/CSystemWebClient.h"
#include "gui/widgets/CLabel.h"
#include "gui/widgets/CStaticBmpEx.h"
#include "gui/wizard/CQuillmarchSheet.h"
#include "gui/wizard/CWalkChoices.h"

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
    Content()->addSpacing(8);
    m_pVerify = new QCheckBox(tr("&Verify the update"), this);
    m_pVerify->setObjectName(QStringLiteral("checkVerify"));
    m_pVerify->setToolTip(
        tr("After the new software is sent, wait until the system is back and "
           "check that it runs that software."));
    m_pVerify->setChecked(true);
    Content()->addWidget(m_pVerify);
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
    ShowTasks();
}

void CResultsProp::ShowTasks() {
    // The lines say what the run will do, read the way the run reads the job.
    const CWalkChoices::STasks tasks = CWalkChoices::Effective(m_app);
    const bool custom = m_app.m_bCustomUpdate;
    const bool display = CSystemInformationArray::IsDisplaySettingsModel(m_app.m_nSystemType);
    SetLine(kUpdate, UiString(127, "Update Software"), tasks.bUpdateSoftware, true);
    SetLine(kChange, UiString(251, "Change System Settings"), tasks.bChangeSettings, custom);
    SetLine(kLan, UiString(254, "LAN Properties"), tasks.bChangeLan, custom);
    SetLine(
        kSecurity,
        tasks.bSecureModeWanted ? UiString(255, "Enable Secure Mode") : tr("Disable Security Mode"),
        tasks.bChangeSecurity, tasks.bChangeSecurity);
    SetLine(kDisplay, UiString(256, "Primary Display Properties"), tasks.bChangeDisplay,
            custom && display);
    SetLine(kErase, UiString(252, "Erase System Flash Memory"), tasks.bEraseFlash, custom);
    // Only a run that sends an image has a new version to check.
    m_pVerify->setVisible(tasks.bUpdateSoftware && m_app.m_bUploadImage);
}

void CResultsProp::OnSetActive() {
    RememberSheet();
    if (!Sheet()) return;
    Sheet()->SetWizardButtons(CQuillmarchSheet::PSWIZB_BACK | CQuillmarchSheet::PSWIZB_FINISH);
    Sheet()->Button(CQuillmarchSheet::ID_WIZFINISH)->setText("&" + UiString(122, "Next"));
}

int CResultsProp::OnWizardBack() {
    if (Sheet())
        Sheet()->SetWizardButtons(CQuillmarchSheet::PSWIZB_BACK | CQuillmarchSheet::PSWIZB_NEXT);
    return kAdvance;
}

bool CResultsProp::OnWizardFinish() {
    if (!Sheet()) return false;
    if (CWalkChoices::Effective(m_app).bEraseFlash && !ConfirmErase()) return false;
    auto inCall = std::make_shared<bool>(false);
    CQuillmarch6App& app = m_app;
    Sheet()->RunOnDevice(
        this, [&app, inCall] { *inCall = CSystemWebClient(app).IsSystemInCall(); },
        [this, inCall] { OnCallChecked(*inCall); });
    return false;  // the wizard ends once the answer is in
}

bool CResultsProp::ConfirmErase() {
    // The one step that cannot be undone: the operator says so in as many words, and a
    // stray Enter keeps the flash as it is.
    QMessageBox question(
        QMessageBox::Warning, UiString(252, "Erase System Flash Memory"),
        tr("Quillmarch will now back up the system's files to this computer, erase the "
           "system's flash memory, restore the files and restart the system. The system "
           "cannot be used meanwhile.\n\nErase the flash memory?"),
        QMessageBox::Ok | QMessageBox::Cancel, this);
    question.setObjectName(QStringLiteral("eraseConfirmation"));
    question.button(QMessageBox::Ok)->setText(tr("&Erase"));
    question.setDefaultButton(QMessageBox::Cancel);
    question.setEscapeButton(QMessageBox::Cancel);
    return question.exec() == QMessageBox::Ok;
}

void CResultsProp::OnCallChecked(bool inCall) {
    if (inCall && !AskToBreakCall()) return;  // stays on the summary; Finish asks again
    CWalkChoices::DropHiddenChoices(m_app);   // the run does what the summary listed
    m_app.m_bVerify = !m_pVerify->isHidden() && m_pVerify->isChecked();
    Sheet()->EndWizard(CQuillmarchSheet::ID_WIZFINISH);
}

}  // namespace quillmarch
