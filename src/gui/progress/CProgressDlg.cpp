#include "gui/progress/CProgressDlg.h"

#include <QApplication>
#include <QDir>
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

#include "core/app/CQuillmarch6App.h"
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
constexpr const char* kZeroSpan = "00:00.00";

QLabel* NamedLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// Digits with "," between groups of three from the right.
}  // namespace

CProgressDlg::CProgressDlg(CQuillmarch6App& app, QWidget* mainWindow) : m_app(app), m_timer(this) {
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
    m_pTaskGroup->layout()->activate();
    SetColumns();
    m_pProgressBar->setRange(0, 100);
    m_pProgressBar->setValue(0);
    m_nRunStart = NowSeconds();
    m_timer.setObjectName(QStringLiteral("progressTimer"));
    m_timer.setInterval(kTimerMs);
    connect(&m_timer, &QTimer::timeout, this, &CProgressDlg::OnProgressTimer);
    m_timer.start();
    m_pOkButton->setEnabled(false);
    Place(mainWindow);
    m_strScreenshotDir = qEnvironmentVariable(kScreenshotDirVariable);
}

void CProgressDlg::BuildControls() {
    auto* column = new QVBoxLayout(this);
    column->addWidget(BuildTaskGroup(), 1);
    auto* runTime = new QHBoxLayout;
    m_pRunTimeLabel = NamedLabel("runTimeLabel", this);
    m_pRunTime = NamedLabel("runTime", this);
    runTime->addWidget(m_pRunTimeLabel);
    runTime->addWidget(m_pRunTime, 1);
    column->addLayout(runTime);
    column->addWidget(BuildCurrentTaskGroup());
    m_pOutcome = NamedLabel("outcome", this);
    m_pOutcome->setWordWrap(true);
    m_pOutcome->hide();
    column->addWidget(m_pOutcome);
    column->addWidget(BuildButtons());
}

QWidget* CProgressDlg::BuildTaskGroup() {
    m_pTaskGroup = new QGroupBox(this);
    m_pTaskGroup->setObjectName(QStringLiteral("taskGroup"));
    m_pTaskList = new QTreeWidget(m_pTaskGroup);
    m_pTaskList->setObjectName(QStringLiteral("taskList"));
    m_pTaskList->setColumnCount(3);
    m_pTaskList->setRootIsDecorated(false);
    m_pTaskList->setUniformRowHeights(true);
    m_pTaskList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Task names and byte counts are never cut: the columns take their contents' width.
    m_pTaskList->header()->setStretchLastSection(true);
    m_pTaskList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pTaskList->header()->setSectionsMovable(false);
    auto* layout = new QVBoxLayout(m_pTaskGroup);
    layout->addWidget(m_pTaskList);
    return m_pTaskGroup;
}

QWidget* CProgressDlg::BuildCurrentTaskGroup() {
    m_pCurrentGroup = new QGroupBox(this);
    m_pCurrentGroup->setObjectName(QStringLiteral("currentTaskGroup"));
    m_pCurrentTaskLabel = NamedLabel("currentTaskLabel", m_pCurrentGroup);
    m_pCurrentTask = NamedLabel("currentTask", m_pCurrentGroup);
    m_pCompleteLabel = NamedLabel("completeLabel", m_pCurrentGroup);
    m_pCurrentPercent = NamedLabel("currentPercent", m_pCurrentGroup);
    m_pTaskTimeLabel = NamedLabel("taskTimeLabel", m_pCurrentGroup);
    m_pTaskTime = NamedLabel("taskTime", m_pCurrentGroup);
    m_pProgressBar = new QProgressBar(m_pCurrentGroup);
    m_pProgressBar->setObjectName(QStringLiteral("progressBar"));
    m_pProgressBar->setTextVisible(false);
    auto* grid = new QGridLayout(m_pCurrentGroup);
    grid->addWidget(m_pCurrentTaskLabel, 0, 0);
    grid->addWidget(m_pCurrentTask, 0, 1);
    grid->addWidget(m_pCompleteLabel, 1, 0);
    grid->addWidget(m_pCurrentPercent, 1, 1);
    grid->addWidget(m_pTaskTimeLabel, 2, 0);
    grid->addWidget(m_pTaskTime, 2, 1);
    grid->addWidget(m_pProgressBar, 3, 0, 1, 2);
    m_pCurrentTask->setWordWrap(true);
    grid->setColumnStretch(1, 1);
    return m_pCurrentGroup;
}

QWidget* CProgressDlg::BuildButtons() {
    auto* row = new QWidget(this);
    m_pOkButton = new QPushButton(row);
    m_pOkButton->setObjectName(QStringLiteral("okButton"));
    m_pCancelButton = new QPushButton(row);
    m_pCancelButton->setObjectName(QStringLiteral("cancelButton"));
    // Enter always means OK, whichever control has the focus; the handlers decide.
    for (QPushButton* button : {m_pOkButton, m_pCancelButton}) button->setAutoDefault(false);
    m_pOkButton->setDefault(true);
    m_pCancelButton->setAutoDefault(false);
    connect(m_pOkButton, &QPushButton::clicked, this, &CProgressDlg::accept);
    connect(m_pCancelButton, &QPushButton::clicked, this, &CProgressDlg::reject);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    layout->addWidget(m_pOkButton);
    layout->addWidget(m_pCancelButton);
    return row;
}

void CProgressDlg::SetControlTexts() {
    // Labels as a Qt window writes them; nothing counts before the first task.
    m_pTaskGroup->setTitle(UiString(29, "Task"));
    m_pRunTimeLabel->setText(tr("Time:"));
    m_pRunTime->setText(QString::fromLatin1(kZeroSpan));
    m_pCurrentGroup->setTitle(tr("Current task"));
    m_pCurrentTaskLabel->setText(tr("Task:"));
    m_pCompleteLabel->setText(tr("Complete:"));
    m_pTaskTimeLabel->setText(tr("Time:"));
    m_pTaskTime->setText(QString::fromLatin1(kZeroSpan));
    m_pOkButton->setText(QStringLiteral("&") + UiString(39, "OK"));
    m_pCancelButton->setText(QStringLiteral("&") + UiString(40, "Cancel"));
}

void CProgressDlg::SetColumns() {
    m_pTaskList->setHeaderLabels(
        {UiString(167, "Task"), UiString(168, "Bytes"), UiString(169, "Time")});
    for (int column = 0; column < 3; ++column)
        m_pTaskList->headerItem()->setTextAlignment(column, Qt::AlignLeft | Qt::AlignVCenter);
}

void CProgressDlg::Place(QWidget* mainWindow) {
    if (mainWindow) {
        move(mainWindow->frameGeometry().topLeft());
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect desktop = screen->geometry();
    move(desktop.width() / 2, desktop.height() / 2);
}

void CProgressDlg::Open() {
    setAttribute(Qt::WA_DeleteOnClose);
    // Above the application's windows and not blocked by a modal one opened earlier (the
    // welcome dialog); the caller goes on at once.
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

int CProgressDlg::HandleMessage(const SProgressMessage& message) {
    switch (message.id) {
        case UM_PROGRESS_CAPTION:
            OnCaption(message);
            break;
        case UM_PROGRESS_RUN:
            if (message.wParam > 0) {
                OnRunStart(message.wParam, message.lParam);
            } else {
                OnRunEnd();
            }
            break;
        case UM_PROGRESS_TASK_START:
            OnTaskStart(message);
            break;
        case UM_PROGRESS_TASK_PERCENT:
            OnTaskPercent(message);
            break;
        case UM_PROGRESS_TASK_DONE:
            OnTaskDone();
            break;
        case UM_PROGRESS_BYTES:
            OnBytes(message.wParam);
            break;
        case UM_PROGRESS_CLOSE:
            OnCloseMessage();
            return PROGRESS_STATE_CLOSED;
        case UM_PROGRESS_PING:
            return PROGRESS_STATE_RUNNING;
        default:
            break;
    }
    return m_nState;
}

void CProgressDlg::OnCaption(const SProgressMessage& message) {
    m_strCaption = message.hasText ? QString::fromStdString(message.text) : QString();
    // "name-address"; a system without a name gives no stray "-".
    if (m_strCaption.startsWith(QLatin1Char('-'))) m_strCaption.remove(0, 1);
    UpdateCaption();
}

void CProgressDlg::OnRunStart(std::int64_t taskCount, std::int64_t parentWindow) {
    m_nParentWindow = parentWindow;
    m_nTaskCount = taskCount;
    m_pTaskGroup->setTitle(
        QStringLiteral("%1 %2/%3")
            .arg(UiString(167, "Tasks"), QString::number(0), QString::number(m_nTaskCount)));
    m_pCurrentTask->clear();
    m_pCurrentPercent->clear();
    m_pTaskTime->clear();
}

void CProgressDlg::OnRunEnd() {
    const QString count = QString::number(m_nTaskCount);
    m_pCurrentPercent->setText(QStringLiteral("%1 / %2").arg(count, count));
    m_pCurrentTask->setText(UiString(171, "Done"));
    SetBar(100);
    m_pOkButton->setEnabled(true);
    m_pCancelButton->setText(QStringLiteral("&") + UiString(172, "Quit"));
    m_pCancelButton->setEnabled(!m_bStopping);
    m_pTaskGroup->setTitle(QStringLiteral("%1 %2/%3").arg(UiString(167, "Tasks"), count, count));
    m_timer.stop();
    m_pTaskTime->clear();
    QApplication::beep();
    SaveScreenshot(QStringLiteral("progress-finished.png"));
}

void CProgressDlg::OnTaskStart(const SProgressMessage& message) {
    // No name at all is an unknown task; an empty name stays empty (and lists as unknown).
    m_pCurrentTask->setText(message.hasText ? QString::fromStdString(message.text)
                                            : QStringLiteral("Unknown Task"));
    m_pCurrentPercent->clear();
    m_pTaskTime->setText(QString::fromLatin1(kZeroSpan));
    SetBar(0);
    m_nBytesDone = 0;
    m_nTaskTotal = message.lParam;
    m_nTaskStart = NowSeconds();
}

void CProgressDlg::OnTaskPercent(const SProgressMessage& message) {
    const std::int64_t percent = message.wParam < 0 ? 90 : message.wParam;
    SetBar(percent);
    m_pCurrentPercent->setText(QString::number(percent) + QStringLiteral(" %"));
    if (message.hasText) m_pCurrentTask->setText(QString::fromStdString(message.text));
}

// Bytes so far of the current transfer. Once they reach the task's total the total is raised
// to them and the task shows 100 %; a total of 0 (a timed wait) shows 100 at once.
void CProgressDlg::OnBytes(std::int64_t bytes) {
    const int percent = progress::BytePercent(bytes, m_nBytesDone, m_nTaskTotal);
    SetBar(percent);
    m_pCurrentPercent->setText(QString::asprintf("%3d%%\t", percent) +
                               FormatByteCount(m_nBytesDone, false) + QStringLiteral(" / ") +
                               FormatByteCount(m_nTaskTotal, true));
    if (!m_bUploadShot && m_nTaskTotal > 1 && percent >= 40 && percent < 100) {
        m_bUploadShot = true;
        SaveScreenshot(QStringLiteral("progress-upload.png"));
    }
}

void CProgressDlg::OnTaskDone() {
    const QString name = m_pCurrentTask->text();
    auto* row = new QTreeWidgetItem(m_pTaskList);
    row->setText(0, name.isEmpty() ? QStringLiteral("Unknow task") : name);
    if (m_nBytesDone != 0) row->setText(1, FormatByteCount(m_nBytesDone, true));
    row->setText(2, FormatSpan(NowSeconds() - m_nTaskStart));
    m_nTaskTotal = 0;
    m_nBytesDone = 0;
    m_pCurrentTask->clear();
    m_pCurrentPercent->clear();
    m_pTaskTime->setText(QString::fromLatin1(kZeroSpan));
    SetBar(0);
    SetTaskCounts(m_pTaskList->topLevelItemCount());
    UpdateCaption();
    FitListWidth();
}

void CProgressDlg::FitListWidth() {
    // A long task name (the retained data) widens the window so that the byte counts beside
    // it stay in view, as far as the screen allows; the list scrolls beyond that.
    int wanted = 2 * m_pTaskList->frameWidth();
    const int last = m_pTaskList->columnCount() - 1;
    for (int column = 0; column < last; ++column) {
        m_pTaskList->resizeColumnToContents(column);
        wanted += m_pTaskList->columnWidth(column);
    }
    // The last column stretches; its own need is a time span.
    wanted += std::max(m_pTaskList->header()->sectionSizeHint(last),
                       m_pTaskList->fontMetrics().horizontalAdvance(FormatSpan(0)) + 16);
    // Room for the frame's inner margins and a vertical scroll bar once the list fills up.
    wanted += m_pTaskList->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 24;
    const int extra = wanted - m_pTaskList->width();
    if (extra <= 0) return;
    int widest = width() + extra;
    if (const QScreen* screen = this->screen())
        widest = std::min(widest, screen->availableGeometry().width());
    if (widest > width()) resize(widest, height());
}

void CProgressDlg::SetTaskCounts(std::int64_t done) {
    if (done > m_nTaskCount) ++m_nTaskCount;
    m_pTaskGroup->setTitle(QStringLiteral("Tasks %1/%2").arg(done).arg(m_nTaskCount));
}

void CProgressDlg::OnCloseMessage() {
    m_nState = PROGRESS_STATE_CLOSED;
    // After the operator's stop the window stays to tell how the run ended.
    if (m_bStopping) return;
    QDialog::accept();  // closed by the engine: no end notice for the parent
}

void CProgressDlg::OnProgressTimer() {
    const std::int64_t now = NowSeconds();
    m_pRunTime->setText(FormatSpan(now - m_nRunStart));
    UpdateCaption();
    if (m_pProgressBar->value() != 0) m_pTaskTime->setText(FormatSpan(now - m_nTaskStart));
}

// Normally "Update Progress : <caption>". Minimised, the caption alone, led by the percentage
// while the current task is not nearly done, so that the task bar shows how far it is.
void CProgressDlg::UpdateCaption() {
    if (!isMinimized()) {
        setWindowTitle(
            QStringLiteral("%1 : %2").arg(UiString(170, "Update Progress"), m_strCaption));
        return;
    }
    const QString text = m_strCaption.isEmpty() ? windowTitle() : m_strCaption;
    const int percent = m_pProgressBar->value();
    setWindowTitle(percent <= 98 ? QString::asprintf(" %3d%% ", percent) + text : text);
}

void CProgressDlg::accept() {
    if (!m_pOkButton->isEnabled()) return;  // during the run Enter means nothing
    m_nState = PROGRESS_STATE_CLOSED;
    PostEnded(m_bStopping ? 1 : 0);
    QDialog::accept();
}

void CProgressDlg::reject() {
    if (m_bStopping && !m_pOkButton->isEnabled()) return;  // wait for the outcome
    if (!m_pOkButton->isEnabled()) {
        if (ConfirmStop()) StopRun();
        return;
    }
    m_nState = PROGRESS_STATE_CLOSED;
    PostEnded(1);
    QDialog::reject();
}

bool CProgressDlg::ConfirmStop() {
    QMessageBox question(QMessageBox::Question, windowTitle(), tr("Stop the update?"),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setObjectName(QStringLiteral("stopQuestion"));
    question.setInformativeText(
        tr("Quillmarch stops after the step in progress and then tells you what state the "
           "system is left in."));
    question.setDefaultButton(QMessageBox::No);
    return question.exec() == QMessageBox::Yes && !m_pOkButton->isEnabled();
}

void CProgressDlg::StopRun() {
    m_bStopping = true;
    m_nState = PROGRESS_STATE_CLOSED;  // the engine's next message sees the stop
    m_pCancelButton->setEnabled(false);
    m_pOutcome->setText(tr("Stopping the update..."));
    m_pOutcome->show();
    // A transfer in progress (the image) stops now rather than at its end. The engine made
    // the link before the run and keeps it; it is not replaced while the run goes on.
    if (m_app.m_pLink) m_app.m_pLink->Abort();
}

QString CProgressDlg::StoppedText(ESystemState state) {
    switch (state) {
        case ESystemState::kNormalMode:
            return tr("The update was stopped. The system is back in normal mode.");
        case ESystemState::kUpdateMode:
            return tr(
                "The update was stopped. The system is still in update mode: run the "
                "update again to finish it.");
        case ESystemState::kUnknown:
            break;
    }
    return tr(
        "The update was stopped. The state of the system is unknown: it may be "
        "restarting. Check it before using it.");
}

void CProgressDlg::ShowStopped(ESystemState state) {
    ShowEnd(StoppedText(state));
}

void CProgressDlg::ShowOutcome(bool success, const QString& reason) {
    if (success) {
        ShowEnd(tr("The update succeeded."));
        return;
    }
    ShowEnd(reason.isEmpty() ? tr("The update failed.") : tr("The update failed: %1").arg(reason));
}

void CProgressDlg::ShowEnd(const QString& text) {
    m_timer.stop();
    m_pOutcome->setText(text);
    m_pOutcome->show();
    m_pOkButton->setEnabled(true);
    m_pOkButton->setFocus();
    m_pCancelButton->setEnabled(false);
    m_pCancelButton->hide();
    SaveScreenshot(QStringLiteral("progress-finished.png"));
}

void CProgressDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && modifiers == Qt::NoModifier) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);  // Escape rejects
}

void CProgressDlg::PostEnded(int ended) {
    if (m_nParentWindow != 0) emit endedPosted(m_nParentWindow, ended);
}

// The bar runs from 0 to 100; a larger percentage fills it, the text shows the number itself.
void CProgressDlg::SetBar(std::int64_t percent) {
    m_pProgressBar->setValue(static_cast<int>(std::clamp<std::int64_t>(percent, 0, 100)));
}

QString CProgressDlg::UiString(int id, const char* fallback) const {
    return QString::fromStdString(m_app.LoadUiString(id, fallback));
}

std::int64_t CProgressDlg::NowSeconds() const {
    return m_app.Clock().Now().count() / 1000;
}

void CProgressDlg::SaveScreenshot(const QString& name) {
    if (m_strScreenshotDir.isEmpty() || !isVisible()) return;
    // Layouts of widgets just shown or hidden settle first.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    layout()->activate();
    grab().save(QDir(m_strScreenshotDir).filePath(name), "PNG");
}

QString CProgressDlg::FormatByteCount(std::int64_t count, bool withUnit) {
    return QString::fromStdString(progress::FormatByteCount(count, withUnit));
}

QString CProgressDlg::FormatSpan(std::int64_t seconds) {
    const std::int64_t span = std::max<std::int64_t>(seconds, 0);
    return QString::asprintf("%02d:%02d.%02d", static_cast<int>(span / 3600 % 24),
                             static_cast<int>(span / 60 % 60), static_cast<int>(span % 60));
}

}  // namespace quillmarch
