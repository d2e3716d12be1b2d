// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/progress/ProgressDialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/job/RunContext.h"
#include "core/progress/ProgressFormat.h"
#include "gui/app/GuiResources.h"

namespace quillmarch {

namespace {

// The window's first size, its layout of 225 x 250 dialog units at the usual 8-point font; it
// may grow, and shrinks no further than its contents allow.
constexpr int kWidth = 338;
constexpr int kHeight = 406;
constexpr int kMinWidth = 300;
constexpr int kMinHeight = 320;
constexpr int kTimerMs = 500;
constexpr const char* kZeroSpan = "00:00";

QLabel* NamedLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// Digits with "," between groups of three from the right.
}  // namespace

ProgressDialog::ProgressDialog(RunContext& app, QWidget* mainWindow) : m_app(app), m_timer(this) {
    EnsureGuiResources();
    setObjectName(QStringLiteral("progressDialog"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QIcon icon(ProgramIconPath());
    setWindowIcon(icon);
    setWindowTitle(UiString(81, "Progress Dialog"));
    BuildControls();
    SetControlTexts();
    setSizeGripEnabled(true);
    // Resizable, but never so small that the current task and the buttons do not fit.
    const QSize least = minimumSizeHint().expandedTo(QSize(kMinWidth, kMinHeight));
    setMinimumSize(least);
    resize(QSize(kWidth, kHeight).expandedTo(least));
    // The list's width is needed for its columns: lay out now rather than when shown.
    layout()->activate();
    m_taskGroup->layout()->activate();
    SetColumns();
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_runStart = NowSeconds();
    m_timer.setObjectName(QStringLiteral("progressTimer"));
    m_timer.setInterval(kTimerMs);
    connect(&m_timer, &QTimer::timeout, this, &ProgressDialog::OnProgressTimer);
    m_timer.start();
    m_okButton->setEnabled(false);
    Place(mainWindow);
}

void ProgressDialog::BuildControls() {
    auto* column = new QVBoxLayout(this);
    column->addWidget(BuildTaskGroup(), 1);
    auto* runTime = new QHBoxLayout;
    m_runTimeLabel = NamedLabel("runTimeLabel", this);
    m_runTime = NamedLabel("runTime", this);
    runTime->addWidget(m_runTimeLabel);
    runTime->addWidget(m_runTime, 1);
    column->addLayout(runTime);
    column->addWidget(BuildCurrentTaskGroup());
    m_outcome = NamedLabel("outcome", this);
    m_outcome->setWordWrap(true);
    m_outcome->hide();
    column->addWidget(m_outcome);
    column->addWidget(BuildButtons());
}

QWidget* ProgressDialog::BuildTaskGroup() {
    m_taskGroup = new QGroupBox(this);
    m_taskGroup->setObjectName(QStringLiteral("taskGroup"));
    m_taskList = new QTreeWidget(m_taskGroup);
    m_taskList->setObjectName(QStringLiteral("taskList"));
    m_taskList->setColumnCount(3);
    m_taskList->setRootIsDecorated(false);
    m_taskList->setUniformRowHeights(true);
    m_taskList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Task names and byte counts are never cut: the columns take their contents' width.
    m_taskList->header()->setStretchLastSection(true);
    m_taskList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_taskList->header()->setSectionsMovable(false);
    auto* layout = new QVBoxLayout(m_taskGroup);
    layout->addWidget(m_taskList);
    return m_taskGroup;
}

QWidget* ProgressDialog::BuildCurrentTaskGroup() {
    m_currentGroup = new QGroupBox(this);
    m_currentGroup->setObjectName(QStringLiteral("currentTaskGroup"));
    m_currentTaskLabel = NamedLabel("currentTaskLabel", m_currentGroup);
    m_currentTask = NamedLabel("currentTask", m_currentGroup);
    m_completeLabel = NamedLabel("completeLabel", m_currentGroup);
    m_currentPercent = NamedLabel("currentPercent", m_currentGroup);
    m_taskTimeLabel = NamedLabel("taskTimeLabel", m_currentGroup);
    m_taskTime = NamedLabel("taskTime", m_currentGroup);
    m_progressBar = new QProgressBar(m_currentGroup);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setTextVisible(false);
    auto* grid = new QGridLayout(m_currentGroup);
    grid->addWidget(m_currentTaskLabel, 0, 0);
    grid->addWidget(m_currentTask, 0, 1);
    grid->addWidget(m_completeLabel, 1, 0);
    grid->addWidget(m_currentPercent, 1, 1);
    grid->addWidget(m_taskTimeLabel, 2, 0);
    grid->addWidget(m_taskTime, 2, 1);
    grid->addWidget(m_progressBar, 3, 0, 1, 2);
    m_currentTask->setWordWrap(true);
    grid->setColumnStretch(1, 1);
    return m_currentGroup;
}

QWidget* ProgressDialog::BuildButtons() {
    auto* row = new QWidget(this);
    m_okButton = new QPushButton(row);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_cancelButton = new QPushButton(row);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    // Enter always means OK, whichever control has the focus; the handlers decide.
    for (QPushButton* button : {m_okButton, m_cancelButton}) button->setAutoDefault(false);
    m_okButton->setDefault(true);
    m_cancelButton->setAutoDefault(false);
    connect(m_okButton, &QPushButton::clicked, this, &ProgressDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &ProgressDialog::reject);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    layout->addWidget(m_okButton);
    layout->addWidget(m_cancelButton);
    return row;
}

void ProgressDialog::SetControlTexts() {
    // Labels as a Qt window writes them; nothing counts before the first task.
    m_taskGroup->setTitle(UiString(29, "Task"));
    m_runTimeLabel->setText(tr("Time:"));
    m_runTime->setText(QString::fromLatin1(kZeroSpan));
    m_currentGroup->setTitle(tr("Current task"));
    m_currentTaskLabel->setText(tr("Task:"));
    m_completeLabel->setText(tr("Complete:"));
    m_taskTimeLabel->setText(tr("Time:"));
    m_taskTime->setText(QString::fromLatin1(kZeroSpan));
    m_okButton->setText(QStringLiteral("&") + UiString(39, "OK"));
    m_cancelButton->setText(QStringLiteral("&") + UiString(40, "Cancel"));
}

void ProgressDialog::SetColumns() {
    m_taskList->setHeaderLabels(
        {UiString(167, "Task"), UiString(168, "Bytes"), UiString(169, "Time")});
    for (int column = 0; column < 3; ++column)
        m_taskList->headerItem()->setTextAlignment(column, Qt::AlignLeft | Qt::AlignVCenter);
}

void ProgressDialog::Place(QWidget* mainWindow) {
    if (mainWindow) {
        move(mainWindow->frameGeometry().topLeft());
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect desktop = screen->geometry();
    move(desktop.width() / 2, desktop.height() / 2);
}

void ProgressDialog::ShowAbove() {
    setAttribute(Qt::WA_DeleteOnClose);
    // Above the application's windows and not blocked by a modal one opened earlier (the
    // welcome dialog); the caller goes on at once.
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

ProgressState ProgressDialog::Caption(const std::string& caption) {
    m_caption = QString::fromStdString(caption);
    // "name-address"; a system without a name gives no stray "-".
    if (m_caption.startsWith(QLatin1Char('-'))) m_caption.remove(0, 1);
    UpdateCaption();
    return m_state;
}

ProgressState ProgressDialog::RunStarted(std::int64_t taskCount, std::int64_t parentWindow) {
    if (parentWindow != 0) m_parentWindow = parentWindow;
    m_taskCount = taskCount;
    m_taskGroup->setTitle(
        QStringLiteral("%1 %2/%3")
            .arg(UiString(167, "Tasks"), QString::number(0), QString::number(m_taskCount)));
    m_currentTask->clear();
    m_currentPercent->clear();
    m_taskTime->clear();
    return m_state;
}

ProgressState ProgressDialog::RunEnded() {
    // The tasks that did end, of those announced: a failed run shows how far it got.
    const QString done = QString::number(m_taskList->topLevelItemCount());
    const QString count = QString::number(m_taskCount);
    m_currentPercent->setText(QStringLiteral("%1 / %2").arg(done, count));
    m_currentTask->setText(UiString(171, "Done"));
    SetWaiting(false);
    SetBar(100);
    m_okButton->setEnabled(true);
    m_cancelButton->setText(QStringLiteral("&") + UiString(172, "Quit"));
    m_cancelButton->setEnabled(!m_stopping);
    m_taskGroup->setTitle(QStringLiteral("%1 %2/%3").arg(UiString(167, "Tasks"), done, count));
    m_timer.stop();
    m_taskTime->clear();
    QApplication::beep();
    return m_state;
}

ProgressState ProgressDialog::TaskStarted(const std::optional<std::string>& name,
                                          std::int64_t totalBytes) {
    // No name at all is an unknown task; an empty name stays empty (and lists as unknown).
    m_currentTask->setText(name ? QString::fromStdString(*name) : QStringLiteral("Unknown Task"));
    m_taskName = m_currentTask->text();
    SetWaiting(false);
    m_currentPercent->clear();
    m_taskTime->setText(QString::fromLatin1(kZeroSpan));
    SetBar(0);
    m_bytesDone = 0;
    m_taskTotal = totalBytes;
    m_taskStart = NowSeconds();
    return m_state;
}

ProgressState ProgressDialog::Percent(std::int64_t percent,
                                      const std::optional<std::string>& taskName) {
    if (taskName) m_currentTask->setText(QString::fromStdString(*taskName));
    // A named status (the retry of a restart wait) means the task waits on the system for as
    // long as it takes: a percentage would claim a share of a whole nobody knows.
    if (taskName && !taskName->empty()) SetWaiting(true);
    if (m_waiting) return m_state;
    if (percent < 0) percent = 90;
    SetBar(percent);
    m_currentPercent->setText(QString::number(percent) + QStringLiteral(" %"));
    return m_state;
}

void ProgressDialog::SetWaiting(bool waiting) {
    m_waiting = waiting;
    // A busy bar (no range) shows life without a number.
    m_progressBar->setRange(0, waiting ? 0 : 100);
    if (waiting) m_currentPercent->setText(tr("waiting for the system"));
}

// Bytes so far of the current transfer. Once they reach the task's total the total is raised
// to them and the task shows 100 %; a total of 0 (a timed wait) shows 100 at once.
void ProgressDialog::Bytes(std::int64_t bytesSoFar) {
    const int percent = progress::BytePercent(bytesSoFar, m_bytesDone, m_taskTotal);
    SetBar(percent);
    m_currentPercent->setText(QString::asprintf("%3d%%\t", percent) +
                              FormatByteCount(m_bytesDone, false) + QStringLiteral(" / ") +
                              FormatByteCount(m_taskTotal, true));
}

ProgressState ProgressDialog::TaskDone() {
    // Listed under the name it started with, not a status it showed on the way.
    const QString name = m_taskName;
    m_taskName.clear();
    SetWaiting(false);
    auto* row = new QTreeWidgetItem(m_taskList);
    row->setText(0, name.isEmpty() ? QStringLiteral("Unknown task") : name);
    if (m_bytesDone != 0) row->setText(1, FormatByteCount(m_bytesDone, true));
    row->setText(2, FormatSpan(NowSeconds() - m_taskStart));
    m_taskTotal = 0;
    m_bytesDone = 0;
    m_currentTask->clear();
    m_currentPercent->clear();
    m_taskTime->setText(QString::fromLatin1(kZeroSpan));
    SetBar(0);
    SetTaskCounts(m_taskList->topLevelItemCount());
    UpdateCaption();
    FitListWidth();
    return m_state;
}

void ProgressDialog::FitListWidth() {
    // A long task name (the retained data) widens the window so that the byte counts beside
    // it stay in view, as far as the screen allows; the list scrolls beyond that.
    int wanted = 2 * m_taskList->frameWidth();
    const int last = m_taskList->columnCount() - 1;
    for (int column = 0; column < last; ++column) {
        m_taskList->resizeColumnToContents(column);
        wanted += m_taskList->columnWidth(column);
    }
    // The last column stretches; its own need is a time span.
    wanted += std::max(m_taskList->header()->sectionSizeHint(last),
                       m_taskList->fontMetrics().horizontalAdvance(FormatSpan(0)) + 16);
    // Room for the frame's inner margins and a vertical scroll bar once the list fills up.
    wanted += m_taskList->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 24;
    const int extra = wanted - m_taskList->width();
    if (extra <= 0) return;
    int widest = width() + extra;
    if (const QScreen* screen = this->screen())
        widest = std::min(widest, screen->availableGeometry().width());
    if (widest > width()) resize(widest, height());
}

void ProgressDialog::SetTaskCounts(std::int64_t done) {
    if (done > m_taskCount) ++m_taskCount;
    m_taskGroup->setTitle(QStringLiteral("Tasks %1/%2").arg(done).arg(m_taskCount));
}

ProgressState ProgressDialog::Close() {
    m_state = ProgressState::Closed;
    // After the operator's stop the window stays to tell how the run ended.
    if (!m_stopping) QDialog::accept();  // closed by the engine: no end notice for the parent
    return ProgressState::Closed;
}

void ProgressDialog::PostClose() {
    Close();
}

// Asks only whether the window is still there; a stopped window answers Running too.
ProgressState ProgressDialog::Ping() {
    return ProgressState::Running;
}

void ProgressDialog::OnProgressTimer() {
    const std::int64_t now = NowSeconds();
    m_runTime->setText(FormatSpan(now - m_runStart));
    UpdateCaption();
    if (m_progressBar->value() != 0) m_taskTime->setText(FormatSpan(now - m_taskStart));
}

// Normally "Update Progress : <caption>". Minimised, the caption alone, led by the percentage
// while the current task is not nearly done, so that the task bar shows how far it is.
void ProgressDialog::UpdateCaption() {
    if (!isMinimized()) {
        setWindowTitle(QStringLiteral("%1 : %2").arg(UiString(170, "Update Progress"), m_caption));
        return;
    }
    const QString text = m_caption.isEmpty() ? windowTitle() : m_caption;
    const int percent = m_progressBar->value();
    setWindowTitle(percent <= 98 ? QString::asprintf(" %3d%% ", percent) + text : text);
}

void ProgressDialog::accept() {
    if (!m_okButton->isEnabled()) return;  // during the run Enter means nothing
    m_state = ProgressState::Closed;
    PostEnded(m_stopping ? 1 : 0);
    QDialog::accept();
}

void ProgressDialog::reject() {
    if (m_stopping && !m_okButton->isEnabled()) return;  // wait for the outcome
    if (!m_okButton->isEnabled()) {
        if (ConfirmStop()) StopRun();
        return;
    }
    m_state = ProgressState::Closed;
    PostEnded(1);
    QDialog::reject();
}

bool ProgressDialog::ConfirmStop() {
    QMessageBox question(QMessageBox::Question, windowTitle(), tr("Stop the update?"),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setObjectName(QStringLiteral("stopQuestion"));
    question.setInformativeText(
        tr("Quillmarch stops after the step in progress and then tells you what state the "
           "system is left in."));
    question.setDefaultButton(QMessageBox::No);
    return question.exec() == QMessageBox::Yes && !m_okButton->isEnabled();
}

void ProgressDialog::StopRun() {
    m_stopping = true;
    m_state = ProgressState::Closed;  // the engine's next call sees the stop
    m_cancelButton->setEnabled(false);
    m_outcome->setText(tr("Stopping the update..."));
    m_outcome->show();
    // A transfer in progress (the image) stops now rather than at its end. The engine made
    // the link before the run and keeps it; it is not replaced while the run goes on.
    if (m_app.m_link) m_app.m_link->Abort();
}

QString ProgressDialog::StoppedText(SystemState state) {
    switch (state) {
        case SystemState::kNormalMode:
            return tr("The update was stopped. The system is back in normal mode.");
        case SystemState::kUpdateMode:
            return tr(
                "The update was stopped. The system is still in update mode: run the "
                "update again to finish it.");
        case SystemState::kUnknown:
            break;
    }
    return tr(
        "The update was stopped. The state of the system is unknown: it may be "
        "restarting. Check it before using it.");
}

void ProgressDialog::ShowStopped(SystemState state) {
    ShowEnd(StoppedText(state));
}

void ProgressDialog::ShowOutcome(const QString& sentence) {
    ShowEnd(sentence);
}

void ProgressDialog::ShowEnd(const QString& text) {
    m_timer.stop();
    m_outcome->setText(text);
    m_outcome->show();
    m_okButton->setEnabled(true);
    m_okButton->setFocus();
    m_cancelButton->setEnabled(false);
    m_cancelButton->hide();
    // The end is the operator's to read: in front, whatever opened meanwhile.
    raise();
    activateWindow();
}

void ProgressDialog::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && modifiers == Qt::NoModifier) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);  // Escape rejects
}

void ProgressDialog::PostEnded(int ended) {
    if (m_parentWindow != 0) emit EndedPosted(m_parentWindow, ended);
}

// The bar runs from 0 to 100; a larger percentage fills it, the text shows the number itself.
void ProgressDialog::SetBar(std::int64_t percent) {
    m_progressBar->setValue(static_cast<int>(std::clamp<std::int64_t>(percent, 0, 100)));
}

QString ProgressDialog::UiString(int id, const char* fallback) const {
    return QString::fromStdString(m_app.LoadUiString(id, fallback));
}

std::int64_t ProgressDialog::NowSeconds() const {
    return m_app.Clock().Now().count() / 1000;
}

QString ProgressDialog::FormatByteCount(std::int64_t count, bool withUnit) {
    return QString::fromStdString(progress::FormatByteCount(count, withUnit));
}

QString ProgressDialog::FormatSpan(std::int64_t seconds) {
    const std::int64_t span = std::max<std::int64_t>(seconds, 0);
    const auto minutes = static_cast<int>(span / 60 % 60);
    const auto rest = static_cast<int>(span % 60);
    if (span < 3600) return QString::asprintf("%02d:%02d", minutes, rest);
    return QString::asprintf("%lld:%02d:%02d", static_cast<long long>(span / 3600), minutes, rest);
}

}  // namespace quillmarch
