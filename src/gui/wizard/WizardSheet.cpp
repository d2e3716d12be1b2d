// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/WizardSheet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <algorithm>
#include <initializer_list>
#include <utility>

#include "core/job/RunContext.h"
#include "core/wizard/WalkRules.h"
#include "gui/wizard/DeviceWorker.h"
#include "gui/wizard/WizardPage.h"

namespace quillmarch {

namespace {

// The busy indicator sits right of Help on the button row.
constexpr int kGap = 8;
constexpr int kBarWidth = 60;
constexpr int kTimeWidth = 70;
// A device call is several link operations in a row, and each starts by clearing the link's
// stop flag: the abort is repeated until the call has returned.
constexpr int kAbortRepeatMs = 50;

}  // namespace

WizardSheet::WizardSheet(RunContext& app, QWidget* owner) : QWizard(owner), m_app(app) {
    setObjectName(QStringLiteral("quillmarchSheet"));
    // One title for the whole wizard; the pages do not change it.
    setWindowTitle(QString::fromStdString(app.LoadUiString(15, "Software Update")));
    // The platform's own wizard look where it has one (Aero on Windows, the Mac's sheet);
    // elsewhere the modern look's header band carries the page titles.
#if defined(Q_OS_WIN)
    setWizardStyle(AeroStyle);
#elif !defined(Q_OS_MACOS)
    setWizardStyle(ModernStyle);
#endif
    setTitleFormat(Qt::PlainText);
    setSubTitleFormat(Qt::PlainText);
    SetUpButtons();
    m_worker = new DeviceWorker(this);
    connect(m_worker, &DeviceWorker::BusyChanged, this, &WizardSheet::OnBusyChanged);
    connect(this, &QWizard::currentIdChanged, this, &WizardSheet::OnPageChanged);
    connect(this, &QWizard::helpRequested, this, &WizardSheet::OnHelp);

    m_abortTimer = new QTimer(this);
    m_abortTimer->setInterval(kAbortRepeatMs);
    connect(m_abortTimer, &QTimer::timeout, this, &WizardSheet::StopLinkCall);
    BuildBusyIndicator();

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

void WizardSheet::SetUpButtons() {
    setOption(HaveHelpButton, true);  // every page has its topic
    setOption(NoBackButtonOnStartPage, true);
    // Help at the left edge, the steps and Cancel at the right, whatever the platform's order.
    setButtonLayout({HelpButton, Stretch, BackButton, NextButton, FinishButton, CancelButton});
    // Each with its Alt shortcut; Cancel has Escape. The summary names its Finish button.
    const auto text = [this](int id, const char* fallback) {
        return QStringLiteral("&") + QString::fromStdString(m_app.LoadUiString(id, fallback));
    };
    setButtonText(BackButton, text(121, "Back"));
    setButtonText(NextButton, text(122, "Next"));
    setButtonText(FinishButton, tr("&Finish"));
    setButtonText(CancelButton, QString::fromStdString(m_app.LoadUiString(65, "Cancel")));
    setButtonText(HelpButton, tr("&Help"));
    const std::initializer_list<std::pair<WizardButton, const char*>> names = {
        {BackButton, "buttonBack"},
        {NextButton, "buttonNext"},
        {FinishButton, "buttonFinish"},
        {CancelButton, "buttonCancel"},
        {HelpButton, "buttonHelp"}};
    for (const auto& [which, name] : names) button(which)->setObjectName(QString::fromLatin1(name));
}

void WizardSheet::BuildBusyIndicator() {
    m_busyBar = new QProgressBar(this);
    m_busyBar->setObjectName(QStringLiteral("busyIndicator"));
    m_busyBar->setRange(0, 0);  // moves without a percentage: how long is not known
    m_busyBar->setTextVisible(false);
    m_busyBar->setAccessibleName(tr("Talking to the system"));
    m_busyTime = new QLabel(this);
    m_busyTime->setObjectName(QStringLiteral("busyTime"));
    m_busyClock = std::make_unique<QElapsedTimer>();
    m_busyTimer = new QTimer(this);
    m_busyTimer->setInterval(500);
    connect(m_busyTimer, &QTimer::timeout, this, &WizardSheet::UpdateBusyTime);
    ShowBusy(false);
}

void WizardSheet::PlaceBusyIndicator() {
    // The wizard lays its buttons out itself: the indicator follows Help wherever it is.
    const QAbstractButton* help = button(HelpButton);
    const QRect at(help->mapTo(this, QPoint(0, 0)), help->size());
    const int x = at.right() + 1 + kGap;
    m_busyBar->setGeometry(x, at.top() + at.height() / 4, kBarWidth, std::max(at.height() / 2, 6));
    m_busyTime->setGeometry(x + kBarWidth + 6, at.top(), kTimeWidth, at.height());
    m_busyBar->raise();
    m_busyTime->raise();
}

void WizardSheet::ShowBusy(bool busy) {
    m_busyBar->setVisible(busy);
    m_busyTime->setVisible(busy);
    if (!busy) {
        m_busyTimer->stop();
        return;
    }
    PlaceBusyIndicator();
    m_busyClock->start();
    UpdateBusyTime();
    m_busyTimer->start();
}

void WizardSheet::UpdateBusyTime() {
    const qint64 seconds = m_busyClock->elapsed() / 1000;
    m_busyTime->setText(QString::asprintf("%02lld:%02lld", seconds / 60, seconds % 60));
}

void WizardSheet::SetPageTable(const std::vector<WizardPage*>& pages) {
    for (size_t i = 0; i < pages.size(); ++i) {
        WizardPage* page = pages[i];
        setPage(static_cast<int>(i), page);
        // After the wizard's own connection, which sets the buttons from the page's state:
        // during a device call they stay disabled whatever the page says.
        connect(page, &QWizardPage::completeChanged, this, &WizardSheet::HoldStepButtons);
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
    return QWizard::eventFilter(watched, event);
}

WizardPage* WizardSheet::TablePage(int tableIndex) const {
    return qobject_cast<WizardPage*>(page(tableIndex));
}

WizardPage* WizardSheet::ActivePage() const {
    return qobject_cast<WizardPage*>(currentPage());
}

void WizardSheet::Begin() {
    if (currentId() < 0) restart();
}

QPushButton* WizardSheet::Button(WizardButton which) const {
    return qobject_cast<QPushButton*>(button(which));
}

int WizardSheet::nextId() const {
    return m_directNext >= 0 ? m_directNext : NextOnWalk(currentId());
}

int WizardSheet::NextOnWalk(int current) const {
    return WalkRules::NextPage(current, m_app.Job());
}

bool WizardSheet::validateCurrentPage() {
    if (m_pageWorkDone) return true;
    if (IsBusy()) return false;
    return QWizard::validateCurrentPage();
}

void WizardSheet::initializePage(int id) {
    m_directNext = -1;  // the page opened directly is reached: the walk rules lead on
    QWizard::initializePage(id);
}

void WizardSheet::cleanupPage(int id) {
    // Cancel resets the wizard, which cleans up every page walked through: that is no Back.
    if (!m_ending) QWizard::cleanupPage(id);
}

void WizardSheet::OnPageChanged(int id) {
    WizardPage* page = TablePage(id);
    if (!page) return;  // -1: the wizard was reset as it ended
    page->PageShown();
    FocusFirstControl(page);
    HoldStepButtons();
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

void WizardSheet::ShowNextPage() {
    m_pageWorkDone = true;
    next();
    m_pageWorkDone = false;
}

void WizardSheet::ShowPreviousPage() {
    back();
}

bool WizardSheet::ShowPageDirectly(int tableIndex) {
    if (currentId() < 0 || !TablePage(tableIndex) || visitedIds().contains(tableIndex))
        return false;
    m_directNext = tableIndex;
    ShowNextPage();
    m_directNext = -1;
    return currentId() == tableIndex;
}

void WizardSheet::EndWizard(int result) {
    if (result == Accepted) {
        m_pageWorkDone = true;
        done(Accepted);
        m_pageWorkDone = false;
        return;
    }
    m_ending = true;
    done(Rejected);
    m_ending = false;
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
    for (int id : visitedIds()) {
        if (WizardPage* page = TablePage(id)) page->CancelClicked();
    }
    if (!IsBusy()) EndWizard(Rejected);  // else once the pages' device calls are done
}

void WizardSheet::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

// The wizard sets its buttons from the page's state whenever that changes; Cancel stays
// usable throughout, as the way out of a call that hangs.
void WizardSheet::HoldStepButtons() {
    if (!IsBusy()) return;
    for (WizardButton which : {BackButton, NextButton, CommitButton, FinishButton, HelpButton}) {
        if (QAbstractButton* step = button(which)) step->setEnabled(false);
    }
}

void WizardSheet::OnBusyChanged(bool busy) {
    for (int id : pageIds()) page(id)->setEnabled(!busy);
    ShowBusy(busy);
    if (busy) {
        HoldStepButtons();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    m_abortTimer->stop();
    QApplication::restoreOverrideCursor();
    button(HelpButton)->setEnabled(true);
    if (m_cancelling) {
        EndWizard(Rejected);
        return;
    }
    WizardPage* page = ActivePage();
    if (!page) return;
    emit page->completeChanged();  // the wizard gives the step buttons back their states
    // The page was disabled while it talked to the system: its focus moved away.
    FocusFirstControl(page);
}

}  // namespace quillmarch
