#include "gui/wizard/CQuillmarchSheet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "core/app/CQuillmarch6App.h"
#include "gui/wizard/CDeviceWorker.h"
#include "gui/wizard/CWizardPage.h"

namespace quillmarch {

namespace {

// Button bar geometry: the buttons stand at fixed places, as in a dialog template, so that
// the arrangement can move them by plain offsets.
constexpr int kBarHeight = 46;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 28;
constexpr int kButtonY = 9;
constexpr int kMargin = 10;
constexpr int kGap = 8;
// A device call is several link operations in a row, and each starts by clearing the link's
// stop flag: the abort is repeated until the call has returned.
constexpr int kAbortRepeatMs = 50;

QPushButton* MakeButton(QWidget* bar, const char* objectName, const QString& text, int x) {
    auto* button = new QPushButton(text, bar);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setGeometry(x, kButtonY, kButtonWidth, kButtonHeight);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CQuillmarchSheet::CQuillmarchSheet(CQuillmarch6App& app, QWidget* owner)
    : QDialog(owner), m_app(app) {
    setObjectName(QStringLiteral("quillmarchSheet"));
    // One title for the whole wizard; the pages do not change it.
    setWindowTitle(QString::fromStdString(app.LoadUiString(15, "Software Update")));
    m_pWorker = new CDeviceWorker(this);
    connect(m_pWorker, &CDeviceWorker::BusyChanged, this, &CQuillmarchSheet::OnBusyChanged);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->setSizeConstraint(QLayout::SetFixedSize);
    m_pStack = new QStackedWidget(this);
    m_pStack->setObjectName(QStringLiteral("pageStack"));
    m_pStack->setFixedSize(CWizardPage::kPageWidth, CWizardPage::kPageHeight);
    column->addWidget(m_pStack);
    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("separator"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    column->addWidget(line);
    BuildButtons();
    column->addWidget(m_pButtonBar);

    m_pAbortTimer = new QTimer(this);
    m_pAbortTimer->setInterval(kAbortRepeatMs);
    connect(m_pAbortTimer, &QTimer::timeout, this, &CQuillmarchSheet::StopLinkCall);

    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &CQuillmarchSheet::OnHelp);
}

CQuillmarchSheet::~CQuillmarchSheet() {
    // The worker goes first: a device call still running must end before the pages do.
    const bool busy = IsBusy();
    delete m_pWorker;
    m_pWorker = nullptr;
    if (busy) QApplication::restoreOverrideCursor();
}

void CQuillmarchSheet::BuildButtons() {
    m_pButtonBar = new QWidget(this);
    m_pButtonBar->setObjectName(QStringLiteral("buttonBar"));
    m_pButtonBar->setFixedSize(CWizardPage::kPageWidth, kBarHeight);
    const int helpX = CWizardPage::kPageWidth - kMargin - kButtonWidth;
    const int cancelX = helpX - kGap - kButtonWidth;
    const int nextX = cancelX - kGap - kButtonWidth;
    // The buttons that step through the wizard sit on a layer of their own, disabled as one
    // while a device call runs (each keeps its own state); Cancel stays above it, usable.
    m_pStepButtons = new QWidget(m_pButtonBar);
    m_pStepButtons->setObjectName(QStringLiteral("stepButtons"));
    m_pStepButtons->setGeometry(0, 0, CWizardPage::kPageWidth, kBarHeight);
    m_pBack = MakeButton(m_pStepButtons, "buttonBack", tr("< Back"), nextX - kButtonWidth);
    m_pNext = MakeButton(m_pStepButtons, "buttonNext", tr("Next >"), nextX);
    m_pFinish = MakeButton(m_pStepButtons, "buttonFinish", tr("Finish"), nextX);
    m_pCancel = MakeButton(m_pButtonBar, "buttonCancel", tr("Cancel"), cancelX);
    m_pHelp = MakeButton(m_pStepButtons, "buttonHelp", tr("&Help"), helpX);
    m_pCancel->raise();
    m_pFinish->hide();
    m_pNext->setDefault(true);
    connect(m_pBack, &QPushButton::clicked, this, &CQuillmarchSheet::OnBack);
    connect(m_pNext, &QPushButton::clicked, this, &CQuillmarchSheet::OnNext);
    connect(m_pFinish, &QPushButton::clicked, this, &CQuillmarchSheet::OnFinish);
    connect(m_pCancel, &QPushButton::clicked, this, &CQuillmarchSheet::reject);
    connect(m_pHelp, &QPushButton::clicked, this, &CQuillmarchSheet::OnHelp);
}

void CQuillmarchSheet::SetPageTable(std::vector<CWizardPage*> pages) {
    m_aTable = std::move(pages);
    for (CWizardPage* page : m_aTable) m_pStack->addWidget(page);
}

CWizardPage* CQuillmarchSheet::TablePage(int tableIndex) const {
    if (tableIndex < 0 || tableIndex >= static_cast<int>(m_aTable.size())) return nullptr;
    return m_aTable[static_cast<size_t>(tableIndex)];
}

bool CQuillmarchSheet::AddPage(int tableIndex) {
    CWizardPage* page = TablePage(tableIndex);
    if (!page) {
        qWarning("wizard: no page %d in the page table", tableIndex);
        return false;
    }
    if (std::find(m_aList.begin(), m_aList.end(), page) != m_aList.end()) {
        qWarning("wizard: page %d is already in the list", tableIndex);
        return false;
    }
    m_aList.push_back(page);
    return true;
}

CWizardPage* CQuillmarchSheet::PageAt(int listIndex) const {
    if (listIndex < 0 || listIndex >= GetPageCount()) return nullptr;
    return m_aList[static_cast<size_t>(listIndex)];
}

void CQuillmarchSheet::RemovePage(int listIndex) {
    if (listIndex <= m_nCurrent || listIndex >= GetPageCount()) return;
    m_aList[static_cast<size_t>(listIndex)]->SetCreated(false);
    m_aList.erase(m_aList.begin() + listIndex);
}

void CQuillmarchSheet::Begin() {
    if (m_nCurrent < 0 && GetPageCount() > 0) ShowPage(0);
}

void CQuillmarchSheet::ShowPage(int listIndex) {
    CWizardPage* page = PageAt(listIndex);
    if (!page) return;
    m_nCurrent = listIndex;
    if (!page->IsCreated()) {
        page->SetCreated(true);
        page->OnInitDialog();
    }
    m_pStack->setCurrentWidget(page);
    page->OnSetActive();
}

void CQuillmarchSheet::SetWizardButtons(unsigned flags) {
    m_pBack->setEnabled((flags & PSWIZB_BACK) != 0);
    const bool finish = (flags & PSWIZB_FINISH) != 0;
    m_pFinish->setVisible(finish);
    m_pFinish->setEnabled(finish);
    m_pNext->setVisible(!finish);
    m_pNext->setEnabled((flags & PSWIZB_NEXT) != 0);
    (finish ? m_pFinish : m_pNext)->setDefault(true);
}

QPushButton* CQuillmarchSheet::Button(int id) const {
    switch (id) {
        case ID_WIZBACK:
            return m_pBack;
        case ID_WIZNEXT:
            return m_pNext;
        case ID_WIZFINISH:
            return m_pFinish;
        case IDCANCEL:
            return m_pCancel;
        case IDHELP:
            return m_pHelp;
        default:
            return nullptr;
    }
}

void CQuillmarchSheet::ArrangeButtons() {
    const int helpX = m_pHelp->x();
    m_pHelp->move(kMargin, m_pHelp->y());
    const int shift = std::max(helpX - m_pCancel->x(), 0);
    // Each with its Alt shortcut; Cancel has Escape.
    const auto text = [this](int id, const char* fallback) {
        return QStringLiteral("&") + QString::fromStdString(m_app.LoadUiString(id, fallback));
    };
    m_pCancel->setText(QString::fromStdString(m_app.LoadUiString(65, "Cancel")));
    m_pCancel->move(m_pCancel->x() + shift, m_pCancel->y());
    m_pBack->setText(text(121, "Back"));
    m_pBack->move(m_pBack->x() + shift, m_pBack->y());
    m_pBack->hide();
    m_pNext->setText(text(122, "Next"));
    m_pNext->move(m_pNext->x() + shift, m_pNext->y());
    m_pFinish->setText(text(122, "Next"));
    m_pFinish->move(m_pFinish->x() + shift, m_pFinish->y());
}

void CQuillmarchSheet::ShowNextPage() {
    if (m_nCurrent + 1 < GetPageCount()) ShowPage(m_nCurrent + 1);
}

void CQuillmarchSheet::ShowPreviousPage() {
    if (m_nCurrent > 0) ShowPage(m_nCurrent - 1);
}

void CQuillmarchSheet::EndWizard(int result) {
    done(result);
}

void CQuillmarchSheet::RunOnDevice(QObject* context, std::function<void()> work,
                                   std::function<void()> apply) {
    if (!IsBusy()) m_bCallAborted = false;
    m_pWorker->Run(context, std::move(work), std::move(apply));
}

void CQuillmarchSheet::AbortDeviceCall() {
    if (!IsBusy()) return;
    m_bCallAborted = true;
    StopLinkCall();
    m_pAbortTimer->start();
}

void CQuillmarchSheet::StopLinkCall() {
    // The link object is made and replaced on this thread only; the worker just uses it.
    if (m_app.m_pLink) m_app.m_pLink->Abort();
}

bool CQuillmarchSheet::IsBusy() const {
    return m_pWorker && m_pWorker->IsBusy();
}

void CQuillmarchSheet::OnBack() {
    CWizardPage* page = ActivePage();
    if (IsBusy() || !page) return;
    if (page->OnWizardBack() == CWizardPage::kAdvance) ShowPreviousPage();
}

void CQuillmarchSheet::OnNext() {
    CWizardPage* page = ActivePage();
    if (IsBusy() || !page) return;
    if (page->OnWizardNext() == CWizardPage::kAdvance) ShowNextPage();
}

void CQuillmarchSheet::OnFinish() {
    CWizardPage* page = ActivePage();
    if (IsBusy() || !page) return;
    if (page->OnWizardFinish()) EndWizard(ID_WIZFINISH);
}

void CQuillmarchSheet::OnHelp() {
    if (CWizardPage* page = ActivePage()) emit HelpRequested(page->TemplateId());
}

void CQuillmarchSheet::reject() {
    // Cancel during a device call stops the call and leaves the operator on the page.
    if (IsBusy() && !m_bCancelling) {
        AbortDeviceCall();
        return;
    }
    if (m_bCancelling) return;
    m_bCancelling = true;
    for (CWizardPage* page : m_aList) page->OnCancel();
    if (!IsBusy()) EndWizard(IDCANCEL);  // else once the pages' device calls are done
}

void CQuillmarchSheet::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void CQuillmarchSheet::OnBusyChanged(bool busy) {
    m_pStack->setEnabled(!busy);
    // Cancel stays usable: it is the way out of a call that hangs.
    m_pStepButtons->setEnabled(!busy);
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    m_pAbortTimer->stop();
    QApplication::restoreOverrideCursor();
    if (m_bCancelling) EndWizard(IDCANCEL);
}

}  // namespace quillmarch
