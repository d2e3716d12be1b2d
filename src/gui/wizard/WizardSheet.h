// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

class QElapsedTimer;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTimer;
class QWidget;

namespace quillmarch {

class DeviceWorker;
class RunContext;
class WizardPage;

// The wizard sheet. It holds the page table (every page object of one wizard run) and a list
// of exactly the pages the operator has walked through plus the current one: each page's Next
// appends the single page that follows it, and pages after a page are dropped when that page
// is shown again (see WalkRules).
class WizardSheet : public QDialog {
    Q_OBJECT
public:
    // Button command ids, which are also the dialog's results.
    static constexpr int ID_WIZBACK = 0x3023;
    static constexpr int ID_WIZNEXT = 0x3024;
    static constexpr int ID_WIZFINISH = 0x3025;
    static constexpr int IDCANCEL = 2;
    static constexpr int IDHELP = 9;
    // Wizard button states.
    static constexpr unsigned PSWIZB_BACK = 1;
    static constexpr unsigned PSWIZB_NEXT = 2;
    static constexpr unsigned PSWIZB_FINISH = 4;

    WizardSheet(RunContext& app, QWidget* owner = nullptr);
    ~WizardSheet() override;

    // Takes the page objects, in page-table order, and owns them from now on.
    void SetPageTable(std::vector<WizardPage*> pages);
    WizardPage* TablePage(int tableIndex) const;

    // --- the page list ------------------------------------------------------------------------
    // Appends page-table entry `tableIndex`. False for an index outside the table or a page
    // already in the list (programming errors; the walk rules produce neither).
    bool AddPage(int tableIndex);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    int GetActiveIndex() const { return m_current; }
    WizardPage* PageAt(int listIndex) const;
    WizardPage* ActivePage() const { return PageAt(m_current); }
    // Removes a page after the current one; its window counts as destroyed, so its
    // initialisation runs again when it is appended anew.
    void RemovePage(int listIndex);
    // Shows the first page of the list; call once the first page was added.
    void Begin();

    // --- buttons --------------------------------------------------------------------------------
    void SetWizardButtons(unsigned flags);
    QPushButton* Button(int id) const;
    // Help to the left edge, the others moved right into the room it leaves (only once),
    // texts set, Back hidden.
    void ArrangeButtons();

    // --- page requests --------------------------------------------------------------------------
    // For pages whose Next or Back completes later (after device calls): move on now.
    void ShowNextPage();
    void ShowPreviousPage();
    // Ends the wizard with this result (ID_WIZFINISH or IDCANCEL).
    void EndWizard(int result);

    // Device calls of the pages: queued off the GUI thread with a wait cursor, the pages and
    // buttons disabled meanwhile; `apply` runs afterwards on the GUI thread while `context`
    // still exists.
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

signals:
    // Help asked for (button or F1), with the dialog template id of the current page.
    void HelpRequested(int templateId);

public slots:
    void reject() override;  // Cancel, Escape and the close box

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildButtons();
    QWidget* BuildHeader();
    void ShowPage(int listIndex);
    void FocusFirstControl(QWidget* page);
    void OnBack();
    void OnNext();
    void OnFinish();
    void OnHelp();
    void OnBusyChanged(bool busy);
    void ShowBusy(bool busy);
    void UpdateBusyTime();
    void StopLinkCall();

    RunContext& m_app;
    QStackedWidget* m_stack = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_subtitle = nullptr;
    QWidget* m_buttonBar = nullptr;
    QWidget* m_stepButtons = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_nextButton = nullptr;
    QPushButton* m_finish = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_help = nullptr;
    DeviceWorker* m_worker = nullptr;
    std::vector<WizardPage*> m_table;
    std::vector<WizardPage*> m_pages;
    int m_current = -1;
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
