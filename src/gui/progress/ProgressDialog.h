// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <string>

#include "core/progress/IProgressWindow.h"

class QGroupBox;
class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace quillmarch {

class RunContext;

// The progress window of an update run: finished tasks with their byte counts and times, the
// current task with its percentage, the run time, and at the end "Done" with OK and "Quit".
// It lives on the GUI thread and is driven only by the progress calls; the engine on its worker
// thread reaches it through ProgressWindowBridge.
class ProgressDialog : public QDialog, public IProgressWindow {
    Q_OBJECT

public:
    // mainWindow: the application's main window; the dialog takes its top-left corner. Without
    // one the dialog's corner goes to the middle of the desktop.
    explicit ProgressDialog(RunContext& app, QWidget* mainWindow = nullptr);

    // Each call answers the window's state: Running, or Closed once the operator stopped the
    // run or the window was told to close. Close answers Closed, Ping Running. GUI thread only.
    ProgressState Caption(const std::string& caption) override;
    ProgressState RunStarted(std::int64_t taskCount, std::int64_t parentWindow) override;
    ProgressState TaskStarted(const std::optional<std::string>& name,
                              std::int64_t totalBytes) override;
    ProgressState Percent(std::int64_t percent,
                          const std::optional<std::string>& taskName) override;
    ProgressState TaskDone() override;
    ProgressState RunEnded() override;
    ProgressState Close() override;
    ProgressState Ping() override;
    void Bytes(std::int64_t bytesSoFar) override;
    void PostClose() override;
    ProgressState State() const { return m_state; }

    // Shows the window, modeless for the caller but above the application's other windows.
    void ShowAbove();

    // What a stopped run left the system in, as far as can be told afterwards.
    enum class SystemState { kNormalMode, kUpdateMode, kUnknown };
    // True once the operator confirmed Cancel during the run: the engine sees the window as
    // closed and winds down, the window stays until it can say how things ended.
    bool IsStopping() const { return m_stopping; }
    // After a stopped run: says what state the system is left in; OK closes.
    void ShowStopped(SystemState state);
    // The end of a run that was not stopped: its one sentence stays on screen until OK.
    void ShowOutcome(const QString& sentence);
    // The window reports its end (OK, Quit) to this parent from the start, so that a run that
    // ends before it announced its tasks (no connection) still hands back when closed.
    void SetParentWindow(qint64 parentWindow) { m_parentWindow = parentWindow; }
    static QString StoppedText(SystemState state);

    // 999 -> "999", 1000 -> "1", 1234567 -> "1,234"; with the unit "999 B", "1 KB", "1,234 KB".
    static QString FormatByteCount(std::int64_t count, bool withUnit);
    // A time span as minutes and seconds, hours once there are any: 312 s -> "05:12",
    // 3661 s -> "1:01:01".
    static QString FormatSpan(std::int64_t seconds);

signals:
    // The window's end notice for the parent window named by the run start: 0 after OK,
    // 1 after Cancel or Quit. Not sent without a parent, nor when the engine closes the window.
    void EndedPosted(qint64 parentWindow, int ended);

public slots:
    // OK and Enter; nothing while OK is disabled (Enter never stops a run).
    void accept() override;
    // Cancel, Quit, Escape and the close box. During the run it asks first, then stops the
    // run (and the transfer in progress at once).
    void reject() override;
    // The 500 ms timer: run time, title, current task time.
    void OnProgressTimer();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildTaskGroup();
    QWidget* BuildCurrentTaskGroup();
    QWidget* BuildButtons();
    void SetControlTexts();
    void SetColumns();
    void Place(QWidget* mainWindow);

    bool ConfirmStop();
    void StopRun();
    void ShowEnd(const QString& text);

    void UpdateCaption();
    void SetBar(std::int64_t percent);
    void SetWaiting(bool waiting);
    void PostEnded(int ended);
    void SetTaskCounts(std::int64_t done);
    void FitListWidth();
    QString UiString(int id, const char* fallback) const;
    std::int64_t NowSeconds() const;

    RunContext& m_app;
    qint64 m_parentWindow = 0;
    std::int64_t m_taskCount = 0;
    std::int64_t m_taskTotal = 0;
    std::int64_t m_bytesDone = 0;
    QString m_caption;
    std::int64_t m_taskStart = 0;
    std::int64_t m_runStart = 0;
    ProgressState m_state = ProgressState::Running;
    QTimer m_timer;
    bool m_stopping = false;
    QString m_taskName;      // the current task's name as it started
    bool m_waiting = false;  // the current task waits on the system: no percentage

    QGroupBox* m_taskGroup = nullptr;
    QTreeWidget* m_taskList = nullptr;
    QLabel* m_runTimeLabel = nullptr;
    QLabel* m_runTime = nullptr;
    QGroupBox* m_currentGroup = nullptr;
    QLabel* m_currentTaskLabel = nullptr;
    QLabel* m_currentTask = nullptr;
    QLabel* m_completeLabel = nullptr;
    QLabel* m_currentPercent = nullptr;
    QLabel* m_taskTimeLabel = nullptr;
    QLabel* m_taskTime = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_outcome = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

}  // namespace quillmarch
