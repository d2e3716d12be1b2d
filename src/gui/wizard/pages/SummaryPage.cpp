// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/pages/SummaryPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QStringList>
#include <QVBoxLayout>
#include <memory>

#include "core/catalogue/ModelCatalogue.h"
#include "core/job/RunContext.h"
#include "core/link/SystemWebClient.h"
#include "gui/widgets/BitmapPanel.h"
#include "gui/widgets/PageLabel.h"
#include "gui/wizard/JobSummary.h"
#include "gui/wizard/WalkChoices.h"
#include "gui/wizard/WizardSheet.h"

namespace quillmarch {

namespace {

constexpr int kTickWidth = 16;
constexpr int kTickHeight = 15;
constexpr int kIndent = 24;

}  // namespace

SummaryPage::SummaryPage(RunContext& app, QWidget* parent)
    : WizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageResults"));
    SetHeader(tr("Summary"),
              tr("Check what this run sends and changes; the last button starts it."));
    m_mainText = new PageLabel(this);
    m_mainText->setObjectName(QStringLiteral("labelMainText"));
    m_mainText->setWordWrap(true);
    Content()->addWidget(m_mainText);
    Content()->addSpacing(4);
    // The values can be more than the page holds: the list scrolls, the page keeps its size.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("summaryScroll"));
    scroll->setAccessibleName(tr("What the run will do"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* list = new QWidget(scroll);
    list->setObjectName(QStringLiteral("summaryLines"));
    auto* lines = new QVBoxLayout(list);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(2);
    BuildLine(lines, kUpdate, "Update", false);
    BuildLine(lines, kChange, "Change", false);
    BuildLine(lines, kLan, "Lan", true);
    BuildLine(lines, kSecurity, "Security", true);
    BuildLine(lines, kDisplay, "Display", true);
    BuildLine(lines, kErase, "Erase", false);
    lines->addStretch(1);
    scroll->setWidget(list);
    Content()->addWidget(scroll, 1);
    m_verifyBox = new QCheckBox(tr("&Verify the update"), this);
    m_verifyBox->setObjectName(QStringLiteral("checkVerify"));
    m_verifyBox->setToolTip(
        tr("After the new software is sent, wait until the system is back and "
           "check that it runs that software."));
    m_verifyBox->setChecked(true);
    connect(m_verifyBox, &QCheckBox::toggled, this, [this] { ShowTasks(); });
    Content()->addWidget(m_verifyBox);
}

void SummaryPage::BuildLine(QVBoxLayout* lines, int line, const char* name, bool indented) {
    SLine& entry = m_lines[static_cast<size_t>(line)];
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    if (indented) row->addSpacing(kIndent);
    entry.tick = new BitmapPanel(this);
    entry.tick->setObjectName(QStringLiteral("tick") + QLatin1String(name));
    entry.tick->setFixedSize(kTickWidth, kTickHeight);
    entry.text = new QLabel(this);
    entry.text->setObjectName(QStringLiteral("line") + QLatin1String(name));
    row->addWidget(entry.tick);
    row->addWidget(entry.text, 1);
    lines->addLayout(row);
    entry.detail = new QLabel(this);
    entry.detail->setObjectName(QStringLiteral("detail") + QLatin1String(name));
    entry.detail->setWordWrap(true);
    entry.detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    entry.detail->setContentsMargins((indented ? kIndent : 0) + kTickWidth + 6, 0, 0, 2);
    entry.detail->hide();
    lines->addWidget(entry.detail);
}

void SummaryPage::SetLine(int line, const QString& text, bool ticked, bool shown,
                          const QString& detail) {
    SLine& entry = m_lines[static_cast<size_t>(line)];
    entry.tick->LoadBitmap(ticked ? kTickBitmapId : kBlankBitmapId);
    entry.text->setText(text);
    entry.tick->setVisible(shown);
    entry.text->setVisible(shown);
    // The tick's state in words, for those who cannot see the picture.
    entry.tick->setAccessibleName(text + (ticked ? tr(": will be done") : tr(": not done")));
    entry.detail->setText(detail);
    entry.detail->setVisible(shown && ticked && !detail.isEmpty());
}

void SummaryPage::PageCreated() {
    LoadSideBitmap();
    m_mainText->SetText(tr("Quillmarch now has all required information. It will do what is "
                           "listed below, and nothing else. Click %1 to start.")
                            .arg(FinishText().remove(QLatin1Char('&'))));
    ShowTasks();
}

void SummaryPage::ShowTasks() {
    // The lines say what the run will do, read the way the run reads the job.
    const WalkChoices::STasks tasks = WalkChoices::Effective(m_app.Job());
    const bool custom = m_app.Job().tasks.customUpdate;
    const bool display = ModelCatalogue::IsDisplaySettingsModel(m_app.Job().target.systemType);
    const bool sendsImage = tasks.bUpdateSoftware && m_app.Job().tasks.uploadImage;
    const JobSummary values(m_app);
    SetLine(kUpdate, UiString(127, "Update Software"), tasks.bUpdateSoftware, true,
            values.UpdateDetail(sendsImage && m_verifyBox->isChecked()));
    SetLine(kChange, UiString(251, "Change System Settings"), tasks.bChangeSettings, custom);
    // A settings group is listed only when it changes: no unchosen sub-items.
    SetLine(kLan, UiString(254, "LAN Properties"), tasks.bChangeLan, tasks.bChangeLan,
            values.LanDetail());
    SetLine(
        kSecurity,
        tasks.bSecureModeWanted ? UiString(255, "Enable Secure Mode") : tr("Disable Security Mode"),
        tasks.bChangeSecurity, tasks.bChangeSecurity, values.SecurityDetail());
    SetLine(kDisplay, UiString(256, "Primary Display Properties"), tasks.bChangeDisplay,
            tasks.bChangeDisplay && display, values.DisplayDetail());
    // An erase says which files it keeps: the rest are gone for good.
    SetLine(kErase, UiString(252, "Erase System Flash Memory"), tasks.bEraseFlash, custom,
            tr("Backs up the kept files to this computer, erases the flash memory, restores "
               "them and restarts the system.") +
                QLatin1Char(' ') + KeptFilesText());
    // Only a run that sends an image has a new version to check.
    m_verifyBox->setVisible(sendsImage);
}

QString SummaryPage::FinishText() const {
    return WalkChoices::Effective(m_app.Job()).bUpdateSoftware ? tr("&Update") : tr("&Finish");
}

void SummaryPage::PageShown() {
    if (!Sheet()) return;
    // The last button says what it does.
    setButtonText(QWizard::FinishButton, FinishText());
}

bool SummaryPage::ValidateFinish() {
    if (!Sheet()) return false;
    if (WalkChoices::Effective(m_app.Job()).bEraseFlash && !ConfirmErase()) return false;
    auto inCall = std::make_shared<bool>(false);
    RunContext& app = m_app;
    Sheet()->RunOnDevice(
        this, [&app, inCall] { *inCall = SystemWebClient(app).IsSystemInCall(); },
        [this, inCall] { OnCallChecked(*inCall); });
    return false;  // the wizard ends once the answer is in
}

// Says exactly what survives the erase: only the kinds of data chosen to be kept are copied,
// every other file on the system is gone for good.
QString SummaryPage::KeptFilesText() const {
    const UpdateJob& job = m_app.Job();
    QStringList kept;
    if (job.retain.directory) kept << tr("the address books (.abk files)");
    if (job.retain.systemSettings)
        kept << tr("the system settings (.dat and .choice files, logos)");
    if (job.retain.sampleSites) kept << tr("the sample sites");
    if (job.retain.callDetail) kept << tr("the call detail report");
    return kept.isEmpty()
               ? tr("No file is kept: every file on the system is erased for good.")
               : tr("Only these are kept: %1. Every other file on the system (the log names them) "
                    "is erased for good.")
                     .arg(kept.join(QStringLiteral("; ")));
}

QString SummaryPage::EraseConfirmationText() const {
    return tr("Quillmarch will now back up the kept files to this computer, erase the system's "
              "flash memory, restore the kept files and restart the system. %1 The system cannot "
              "be used meanwhile.\n\nErase the flash memory?")
        .arg(KeptFilesText());
}

bool SummaryPage::ConfirmErase() {
    // The one step that cannot be undone: the operator says so in as many words, and a
    // stray Enter keeps the flash as it is.
    QMessageBox question(QMessageBox::Warning, UiString(252, "Erase System Flash Memory"),
                         EraseConfirmationText(), QMessageBox::Ok | QMessageBox::Cancel, this);
    question.setObjectName(QStringLiteral("eraseConfirmation"));
    question.button(QMessageBox::Ok)->setText(tr("&Erase"));
    question.setDefaultButton(QMessageBox::Cancel);
    question.setEscapeButton(QMessageBox::Cancel);
    return question.exec() == QMessageBox::Ok;
}

void SummaryPage::OnCallChecked(bool inCall) {
    if (inCall && !AskToBreakCall()) return;      // stays on the summary; Finish asks again
    WalkChoices::DropHiddenChoices(m_app.Job());  // the run does what the summary listed
    m_app.Job().options.verify = !m_verifyBox->isHidden() && m_verifyBox->isChecked();
    // The log opened before the system was known: the run starts under a header that names
    // the system and its model, as a command-line run's does.
    m_app.WriteOptionDump();
    Sheet()->EndWizard(QDialog::Accepted);
}

}  // namespace quillmarch
