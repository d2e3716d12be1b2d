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

class CQuillmarch6App;

// The progress window of an update run: finished tasks with their byte counts and times, the
// current task with its percentage, the run time, and at the end "Done" with OK and "Quit".
// It lives on the GUI thread and is driven only by the progress messages (HandleMessage); the
// engine on its worker thread reaches it through CProgressWindowBridge.
class CProgressDlg : public QDialog {
    Q_OBJECT

public:
    // mainWindow: the application's main window; the dialog takes its top-left corner. Without
    // one the dialog's corner goes to the middle of the desktop.
    explicit CProgressDlg(CQuillmarch6App& app, QWidget* mainWindow = nullptr);

    // Handles one progress message and answers as the window does: its state (1 running,
    // 2 closed or told to close); the close message answers 2, the ping 1.
    int HandleMessage(const SProgressMessage& message);
    int State() const { return m_nState; }

    // Shows the window, modeless for the caller but above the application's other windows.
    void Open();

    // What a stopped run left the system in, as far as can be told afterwards.
    enum class ESystemState { kNormalMode, kUpdateMode, kUnknown };
    // True once the operator confirmed Cancel during the run: the engine sees the window as
    // closed and winds down, the window stays until it can say how things ended.
    bool IsStopping() const { return m_bStopping; }
    // After a stopped run: says what state the system is left in; OK closes.
    void ShowStopped(ESystemState state);
    // The end of a command-line run: the outcome stays on screen until OK.
    void ShowOutcome(bool success, const QString& reason);
    static QString StoppedText(ESystemState state);

    // 999 -> "999", 1000 -> "1", 1234567 -> "1,234"; with the unit "999 B", "1 KB", "1,234 KB".
    static QString FormatByteCount(std::int64_t count, bool withUnit);
    // A time span as hours of the day, minutes and seconds: 312 s -> "00:05.12".
    static QString FormatSpan(std::int64_t seconds);

    // The environment variable naming a folder the window saves pictures of itself into (during
    // a transfer and when finished); a documentation and test aid, unset in normal use.
    static constexpr const char* kScreenshotDirVariable = "QUILLMARCH_SCREENSHOT_DIR";

signals:
    // The window's end notice for the parent window named by the run start: 0 after OK,
    // 1 after Cancel or Quit. Not sent without a parent, nor when the engine closes the window.
    void endedPosted(qint64 parentWindow, int ended);

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

    void OnCaption(const SProgressMessage& message);
    void OnRunStart(std::int64_t taskCount, std::int64_t parentWindow);
    void OnRunEnd();
    void OnTaskStart(const SProgressMessage& message);
    void OnTaskPercent(const SProgressMessage& message);
    void OnBytes(std::int64_t bytes);
    void OnTaskDone();
    void OnCloseMessage();
    bool ConfirmStop();
    void StopRun();
    void ShowEnd(const QString& text);

    void UpdateCaption();
    void SetBar(std::int64_t percent);
    void PostEnded(int ended);
    void SetTaskCounts(std::int64_t done);
    void FitListWidth();
    QString UiString(int id, const char* fallback) const;
    std::int64_t NowSeconds() const;
    void SaveScreenshot(const QString& name);

    CQuillmarch6App& m_app;
    qint64 m_nParentWindow = 0;
    std::int64_t m_nTaskCount = 0;
    std::int64_t m_nTaskTotal = 0;
    std::int64_t m_nBytesDone = 0;
    QString m_strCaption;
    std::int64_t m_nTaskStart = 0;
    std::int64_t m_nRunStart = 0;
    int m_nState = PROGRESS_STATE_RUNNING;
    QTimer m_timer;
    QString m_strScreenshotDir;
    bool m_bUploadShot = false;
    bool m_bStopping = false;

    QGroupBox* m_pTaskGroup = nullptr;
    QTreeWidget* m_pTaskList = nullptr;
    QLabel* m_pRunTimeLabel = nullptr;
    QLabel* m_pRunTime = nullptr;
    QGroupBox* m_pCurrentGroup = nullptr;
    QLabel* m_pCurrentTaskLabel = nullptr;
    QLabel* m_pCurrentTask = nullptr;
    QLabel* m_pCompleteLabel = nullptr;
    QLabel* m_pCurrentPercent = nullptr;
    QLabel* m_pTaskTimeLabel = nullptr;
    QLabel* m_pTaskTime = nullptr;
    QProgressBar* m_pProgressBar = nullptr;
    QLabel* m_pOutcome = nullptr;
    QPushButton* m_pOkButton = nullptr;
    QPushButton* m_pCancelButton = nullptr;
};

}  // namespace quillmarch
