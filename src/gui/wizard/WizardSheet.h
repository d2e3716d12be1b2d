// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWizard>
#include <functional>
#include <memory>
#include <vector>

class QElapsedTimer;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QWidget;

namespace quillmarch {

class DeviceWorker;
class RunContext;
class WizardPage;

// The wizard sheet, on Qt's own wizard: the page ids are the walk rules' page-table indexes,
// the page Next leads to is the one the walk rules name (nextId), and the wizard keeps the
// pages walked through, so Back returns along the walk. Pages whose Next or Finish needs the
// system answer later: they start a device call here, stay, and move on from its result.
class WizardSheet : public QWizard {
    Q_OBJECT
public:
    WizardSheet(RunContext& app, QWidget* owner = nullptr);
    ~WizardSheet() override;

    // Takes the page objects, in page-table order (page id = index), and owns them from now on.
    void SetPageTable(const std::vector<WizardPage*>& pages);
    WizardPage* TablePage(int tableIndex) const;
    WizardPage* ActivePage() const;
    // The pages walked through, the current one included.
    int GetPageCount() const { return static_cast<int>(visitedIds().size()); }
    // Shows the first page; the wizard also does so itself when it is first shown.
    void Begin();

    // A wizard button as the push button it is.
    QPushButton* Button(WizardButton which) const;

    // --- page requests --------------------------------------------------------------------------
    // For pages whose Next completes later (after device calls): move on now, without asking
    // the page again.
    void ShowNextPage();
    void ShowPreviousPage();
    // Shows page `tableIndex` next instead of the one the walk rules name, without the current
    // page's Next work (opens one page of the walk directly). False for a page that does not
    // exist or was walked through already.
    bool ShowPageDirectly(int tableIndex);
    // Ends the wizard: Accepted (Finish, the page's work is done) or Rejected.
    void EndWizard(int result);

    // Device calls of the pages: queued off the GUI thread with a wait cursor, the pages and
    // the step buttons disabled meanwhile; `apply` runs afterwards on the GUI thread while
    // `context` still exists.
    void RunOnDevice(QObject* context, std::function<void()> work, std::function<void()> apply);
    bool IsBusy() const;
    // Cancel while a page talks to the system stops the call (the link's Abort) instead of
    // waiting for it; the pages' apply steps then find this set and stay where they are.
    // Cleared when the next device call starts.
    void AbortDeviceCall();
    bool CallAborted() const { return m_callAborted; }

    RunContext& App() const { return m_app; }

    // Whether the system told its security mode this walk (its securemode file was read);
    // only then is the mode offered for a change.
    void SetSecureModeReported(bool reported) { m_secureModeReported = reported; }
    bool SecureModeReported() const { return m_secureModeReported; }

    // The page after the current one: the one opened directly, else the walk's (NextOnWalk).
    int nextId() const final;
    // Asks the current page (its Next or Finish hook) unless the page itself moves on.
    bool validateCurrentPage() override;

signals:
    // Help asked for (button or F1), with the dialog template id of the current page.
    void HelpRequested(int templateId);

public slots:
    void reject() override;  // Cancel, Escape and the close box

protected:
    // The walk rules' page after `current`, from the job's choices as the pages wrote them.
    virtual int NextOnWalk(int current) const;
    void initializePage(int id) override;
    void cleanupPage(int id) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetUpButtons();
    void BuildBusyIndicator();
    void OnPageChanged(int id);
    void FocusFirstControl(QWidget* page);
    void OnHelp();
    void OnBusyChanged(bool busy);
    void HoldStepButtons();
    void ShowBusy(bool busy);
    void PlaceBusyIndicator();
    void UpdateBusyTime();
    void StopLinkCall();

    RunContext& m_app;
    DeviceWorker* m_worker = nullptr;
    // Set while a page's own Next or Finish work is done and the wizard moves on.
    bool m_pageWorkDone = false;
    // Set while the wizard ends: its reset of the walked pages is no Back.
    bool m_ending = false;
    int m_directNext = -1;
    bool m_cancelling = false;
    bool m_secureModeReported = false;
    bool m_callAborted = false;
    QTimer* m_abortTimer = nullptr;
    // While a page talks to the system: a moving bar and the time it has taken so far.
    QProgressBar* m_busyBar = nullptr;
    QLabel* m_busyTime = nullptr;
    QTimer* m_busyTimer = nullptr;
    std::unique_ptr<QElapsedTimer> m_busyClock;
};

}  // namespace quillmarch
