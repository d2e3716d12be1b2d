// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/WizardSheet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFrame>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "core/job/RunContext.h"
#include "gui/wizard/DeviceWorker.h"
#include "gui/wizard/WizardPage.h"

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

WizardSheet::WizardSheet(RunContext& app, QWidget* owner) : QDialog(owner), m_app(app) {
    setObjectName(QStringLiteral("quillmarchSheet"));
    // One title for the whole wizard; the pages do not change it.
    setWindowTitle(QString::fromStdString(app.LoadUiString(15, "Software Update")));
    m_worker = new DeviceWorker(this);
    connect(m_worker, &DeviceWorker::BusyChanged, this, &WizardSheet::OnBusyChanged);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->addWidget(BuildHeader());
    auto* headerLine = new QFrame(this);
    headerLine->setFrameShape(QFrame::HLine);
    headerLine->setFrameShadow(QFrame::Sunken);
    column->addWidget(headerLine);
    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("pageStack"));
    m_stack->setFixedSize(WizardPage::kPageWidth, WizardPage::kPageHeight);
    column->addWidget(m_stack);
    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("separator"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    column->addWidget(line);
    BuildButtons();
    column->addWidget(m_buttonBar);

    m_abortTimer = new QTimer(this);
    m_abortTimer->setInterval(kAbortRepeatMs);
    connect(m_abortTimer, &QTimer::timeout, this, &WizardSheet::StopLinkCall);

    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &WizardSheet::OnHelp);
}

WizardSheet::~WizardSheet() {
    // The worker goes first: a device call still running must end before the pages do.
    const bool busy = IsBusy();
    delete m_worker;
    m_worker = nullptr;
    if (busy) QApplication::restoreOverrideCursor();
}

void WizardSheet::BuildButtons() {
    m_buttonBar = new QWidget(this);
    m_buttonBar->setObjectName(QStringLiteral("buttonBar"));
    m_buttonBar->setFixedSize(WizardPage::kPageWidth, kBarHeight);
    const int helpX = WizardPage::kPageWidth - kMargin - kButtonWidth;
    const int cancelX = helpX - kGap - kButtonWidth;
    const int nextX = cancelX - kGap - kButtonWidth;
    // The buttons that step through the wizard sit on a layer of their own, disabled as one
    // while a device call runs (each keeps its own state); Cancel stays above it, usable.
    m_stepButtons = new QWidget(m_buttonBar);
    m_stepButtons->setObjectName(QStringLiteral("stepButtons"));
    m_stepButtons->setGeometry(0, 0, WizardPage::kPageWidth, kBarHeight);
    m_back = MakeButton(m_stepButtons, "buttonBack", tr("< Back"), nextX - kButtonWidth);
    m_nextButton = MakeButton(m_stepButtons, "buttonNext", tr("Next >"), nextX);
    m_finish = MakeButton(m_stepButtons, "buttonFinish", tr("Finish"), nextX);
    m_cancel = MakeButton(m_buttonBar, "buttonCancel", tr("Cancel"), cancelX);
    m_help = MakeButton(m_stepButtons, "buttonHelp", tr("&Help"), helpX);
    m_cancel->raise();
    m_finish->hide();
    m_nextButton->setDefault(true);
    connect(m_back, &QPushButton::clicked, this, &WizardSheet::OnBack);
    connect(m_nextButton, &QPushButton::clicked, this, &WizardSheet::OnNext);
    connect(m_finish, &QPushButton::clicked, this, &WizardSheet::OnFinish);
    connect(m_cancel, &QPushButton::clicked, this, &WizardSheet::reject);
    connect(m_help, &QPushButton::clicked, this, &WizardSheet::OnHelp);

    // Between Help (at the left edge once arranged) and the step buttons.
    const int busyX = kMargin + kButtonWidth + kGap;
    m_busyBar = new QProgressBar(m_buttonBar);
    m_busyBar->setObjectName(QStringLiteral("busyIndicator"));
    m_busyBar->setRange(0, 0);  // moves without a percentage: how long is not known
    m_busyBar->setTextVisible(false);
    m_busyBar->setAccessibleName(tr("Talking to the system"));
    m_busyBar->setGeometry(busyX, kButtonY + 6, 60, kButtonHeight - 12);
    m_busyTime = new QLabel(m_buttonBar);
    m_busyTime->setObjectName(QStringLiteral("busyTime"));
    m_busyTime->setGeometry(busyX + 66, kButtonY, 70, kButtonHeight);
    m_busyClock = std::make_unique<QElapsedTimer>();
    m_busyTimer = new QTimer(this);
    m_busyTimer->setInterval(500);
    connect(m_busyTimer, &QTimer::timeout, this, &WizardSheet::UpdateBusyTime);
    ShowBusy(false);
}

void WizardSheet::ShowBusy(bool busy) {
    m_busyBar->setVisible(busy);
    m_busyTime->setVisible(busy);
    if (!busy) {
        m_busyTimer->stop();
        return;
    }
    m_busyClock->start();
    UpdateBusyTime();
    m_busyTimer->start();
}

void WizardSheet::UpdateBusyTime() {
    const qint64 seconds = m_busyClock->elapsed() / 1000;
    m_busyTime->setText(QString::asprintf("%02lld:%02lld", seconds / 60, seconds % 60));
}

void WizardSheet::SetPageTable(std::vector<WizardPage*> pages) {
    m_table = std::move(pages);
    for (WizardPage* page : m_table) {
        m_stack->addWidget(page);
        for (QLineEdit* edit : page->findChildren<QLineEdit*>()) edit->installEventFilter(this);
    }
}

// Alt+letter is a shortcut or nothing. A shortcut is taken before the key reaches a field;
// what is left would otherwise be typed as text (an address field took "urp" for Alt+U, R, P).
// Ctrl+Alt passes: some keyboards type characters with it (AltGr on Windows).
bool WizardSheet::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers();
        if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier) &&
            !key->text().isEmpty() && key->text().at(0).isPrint())
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

WizardPage* WizardSheet::TablePage(int tableIndex) const {
    if (tableIndex < 0 || tableIndex >= static_cast<int>(m_table.size())) return nullptr;
    return m_table[static_cast<size_t>(tableIndex)];
}

bool WizardSheet::AddPage(int tableIndex) {
    WizardPage* page = TablePage(tableIndex);
    if (!page) {
        qWarning("wizard: no page %d in the page table", tableIndex);
        return false;
    }
    if (std::find(m_pages.begin(), m_pages.end(), page) != m_pages.end()) {
        qWarning("wizard: page %d is already in the list", tableIndex);
        return false;
    }
    m_pages.push_back(page);
    return true;
}

WizardPage* WizardSheet::PageAt(int listIndex) const {
    if (listIndex < 0 || listIndex >= GetPageCount()) return nullptr;
    return m_pages[static_cast<size_t>(listIndex)];
}

void WizardSheet::RemovePage(int listIndex) {
    if (listIndex <= m_current || listIndex >= GetPageCount()) return;
    m_pages[static_cast<size_t>(listIndex)]->SetCreated(false);
    m_pages.erase(m_pages.begin() + listIndex);
}

void WizardSheet::Begin() {
    if (m_current < 0 && GetPageCount() > 0) ShowPage(0);
}

// The current page's title and its line of explanation, on the base colour as a wizard's
// header band is.
QWidget* WizardSheet::BuildHeader() {
    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("sheetHeader"));
    header->setFixedWidth(WizardPage::kPageWidth);
    header->setBackgroundRole(QPalette::Base);
    header->setAutoFillBackground(true);
    m_title = new QLabel(header);
    m_title->setObjectName(QStringLiteral("pageTitle"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_subtitle = new QLabel(header);
    m_subtitle->setObjectName(QStringLiteral("pageSubtitle"));
    m_subtitle->setWordWrap(true);
    // Two lines whatever the page says, so that the sheet keeps its height from page to page.
    m_subtitle->setMinimumHeight(2 * m_subtitle->fontMetrics().lineSpacing());
    m_subtitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* rows = new QVBoxLayout(header);
    rows->setContentsMargins(16, 8, 16, 6);
    rows->setSpacing(2);
    rows->addWidget(m_title);
    rows->addWidget(m_subtitle);
    return header;
}

void WizardSheet::ShowPage(int listIndex) {
    WizardPage* page = PageAt(listIndex);
    if (!page) return;
    m_current = listIndex;
    if (!page->IsCreated()) {
        page->SetCreated(true);
        page->PageCreated();
    }
    m_stack->setCurrentWidget(page);
    m_title->setText(page->Title());
    m_subtitle->setText(page->Subtitle());
    page->PageShown();
    FocusFirstControl(page);
}

// The keyboard starts on the page, not on a button of the sheet: on the control the page chose
// itself, else on its first control in tab order.
void WizardSheet::FocusFirstControl(QWidget* page) {
    const QWidget* focus = QApplication::focusWidget();
    if (focus && page->isAncestorOf(focus)) return;
    for (QWidget* next = page->nextInFocusChain(); next && next != page;
         next = next->nextInFocusChain()) {
        if (!page->isAncestorOf(next)) continue;
        if ((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(page) && next->isEnabled()) {
            next->setFocus(Qt::OtherFocusReason);  // a field keeps its text unselected
            return;
        }
    }
}

void WizardSheet::SetWizardButtons(unsigned flags) {
    m_back->setEnabled((flags & PSWIZB_BACK) != 0);
    const bool finish = (flags & PSWIZB_FINISH) != 0;
    m_finish->setVisible(finish);
    m_finish->setEnabled(finish);
    m_nextButton->setVisible(!finish);
    m_nextButton->setEnabled((flags & PSWIZB_NEXT) != 0);
    (finish ? m_finish : m_nextButton)->setDefault(true);
}

QPushButton* WizardSheet::Button(int id) const {
    switch (id) {
        case ID_WIZBACK:
            return m_back;
        case ID_WIZNEXT:
            return m_nextButton;
        case ID_WIZFINISH:
            return m_finish;
        case IDCANCEL:
            return m_cancel;
        case IDHELP:
            return m_help;
        default:
            return nullptr;
    }
}

void WizardSheet::ArrangeButtons() {
    const int helpX = m_help->x();
    m_help->move(kMargin, m_help->y());
    const int shift = std::max(helpX - m_cancel->x(), 0);
    // Each with its Alt shortcut; Cancel has Escape.
    const auto text = [this](int id, const char* fallback) {
        return QStringLiteral("&") + QString::fromStdString(m_app.LoadUiString(id, fallback));
    };
    m_cancel->setText(QString::fromStdString(m_app.LoadUiString(65, "Cancel")));
    m_cancel->move(m_cancel->x() + shift, m_cancel->y());
    m_back->setText(text(121, "Back"));
    m_back->move(m_back->x() + shift, m_back->y());
    m_back->hide();
    m_nextButton->setText(text(122, "Next"));
    m_nextButton->move(m_nextButton->x() + shift, m_nextButton->y());
    m_finish->setText(text(122, "Next"));
    m_finish->move(m_finish->x() + shift, m_finish->y());
}

void WizardSheet::ShowNextPage() {
    if (m_current + 1 < GetPageCount()) ShowPage(m_current + 1);
}

void WizardSheet::ShowPreviousPage() {
    if (m_current > 0) ShowPage(m_current - 1);
}

void WizardSheet::EndWizard(int result) {
    done(result);
}

void WizardSheet::RunOnDevice(QObject* context, std::function<void()> work,
                              std::function<void()> apply) {
    if (!IsBusy()) m_callAborted = false;
    m_worker->Run(context, std::move(work), std::move(apply));
}

void WizardSheet::AbortDeviceCall() {
    if (!IsBusy()) return;
    m_callAborted = true;
    StopLinkCall();
    m_abortTimer->start();
}

void WizardSheet::StopLinkCall() {
    // The link object is made and replaced on this thread only; the worker just uses it.
    if (m_app.m_link) m_app.m_link->Abort();
}

bool WizardSheet::IsBusy() const {
    return m_worker && m_worker->IsBusy();
}

void WizardSheet::OnBack() {
    WizardPage* page = ActivePage();
    if (IsBusy() || !page) return;
    if (page->ValidateBack() == WizardPage::kAdvance) ShowPreviousPage();
}

void WizardSheet::OnNext() {
    WizardPage* page = ActivePage();
    if (IsBusy() || !page) return;
    if (page->ValidateNext() == WizardPage::kAdvance) ShowNextPage();
}

void WizardSheet::OnFinish() {
    WizardPage* page = ActivePage();
    if (IsBusy() || !page) return;
    if (page->ValidateFinish()) EndWizard(ID_WIZFINISH);
}

void WizardSheet::OnHelp() {
    if (WizardPage* page = ActivePage()) emit HelpRequested(page->TemplateId());
}

void WizardSheet::reject() {
    // Cancel during a device call stops the call and leaves the operator on the page.
    if (IsBusy() && !m_cancelling) {
        AbortDeviceCall();
        return;
    }
    if (m_cancelling) return;
    m_cancelling = true;
    for (WizardPage* page : m_pages) page->CancelClicked();
    if (!IsBusy()) EndWizard(IDCANCEL);  // else once the pages' device calls are done
}

void WizardSheet::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void WizardSheet::OnBusyChanged(bool busy) {
    m_stack->setEnabled(!busy);
    // Cancel stays usable: it is the way out of a call that hangs.
    m_stepButtons->setEnabled(!busy);
    ShowBusy(busy);
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    m_abortTimer->stop();
    QApplication::restoreOverrideCursor();
    if (m_cancelling) {
        EndWizard(IDCANCEL);
        return;
    }
    // The page was disabled while it talked to the system: its focus moved away.
    if (WizardPage* page = ActivePage()) FocusFirstControl(page);
}

}  // namespace quillmarch
