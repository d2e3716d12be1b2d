#include "gui/progress/CGuiRun.h"

#include <QApplication>
#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "core/app/CMessageBoxRouter.h"
#include "core/app/CQuillmarch6App.h"
#include "core/link/CFTPBase.h"
#include "core/run/CUpdateRun.h"
#include "gui/progress/CGuiPlatformProbe.h"
#include "gui/progress/CProgressDlg.h"
#include "gui/progress/CProgressDlgFactory.h"
#include "gui/progress/CProgressExitHandle.h"
#include "gui/progress/CQtMessageBox.h"
#include "gui/progress/GuiThreadCall.h"

namespace quillmarch {

namespace {

// The end notice of one run's window. The window may say it was closed while the engine still
// runs; the notice is held until the run has returned, so that closing the window can never end
// the caller's dialog under a running engine. GUI thread only.
struct SEndedNotice {
    std::function<void(int)> onEnded;
    QPointer<QObject> receiver;
    bool hasReceiver = false;
    bool runReturned = false;
    std::optional<int> held;

    void Receive(int ended) {
        if (!runReturned) {
            held = ended;
            return;
        }
        Deliver(ended);
    }
    void Deliver(int ended) const {
        if (hasReceiver && !receiver) return;  // the parent window is gone: no receiver
        onEnded(ended);
    }
};

// The end of a command-line run: the outcome line on stderr, and in the window until the
// operator closes it, so that the window never just vanishes.
void ShowOutcomeUntilOk(CQuillmarch6App& app, QPointer<CProgressDlg> window, bool outcome) {
    QString reason;
    if (!outcome) {
        reason = app.m_pLink ? QString::fromStdString(app.m_pLink->GetLastErrorText()) : QString();
        if (reason.isEmpty() && !app.m_strLogPath.empty())
            reason = QStringLiteral("see the log %1").arg(QString::fromStdString(app.m_strLogPath));
    }
    const QString line = outcome ? QStringLiteral("The update succeeded.")
                                 : QStringLiteral("The update failed: %1").arg(reason);
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    if (!window || !window->isVisible()) return;
    if (!window->IsStopping()) window->ShowOutcome(outcome, reason);
    // Pictures for the documentation are taken without an operator to press OK.
    if (!qEnvironmentVariableIsEmpty(CProgressDlg::kScreenshotDirVariable)) return;
    while (window && window->isVisible())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace

CGuiRun::CGuiRun(CQuillmarch6App& app, QWidget* mainWindow)
    : m_app(app), m_pMainWindow(mainWindow) {}

bool CGuiRun::Run(std::function<void(int ended)> onEnded, QObject* receiver) {
    if (!onEnded) {
        CProgressDlgFactory factory(m_app, m_pMainWindow.data(),
                                    [this](CProgressDlg& dialog) { m_pWindow = &dialog; });
        const bool outcome = RunOnWorker(factory, 0);
        TellHowAStopEnded();
        return outcome;
    }
    auto notice = std::make_shared<SEndedNotice>();
    notice->onEnded = std::move(onEnded);
    notice->receiver = receiver;
    notice->hasReceiver = receiver != nullptr;
    // The window reports to the "parent window" the run start names: this notice.
    const auto parentWindow =
        static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(notice.get()));
    CProgressDlgFactory factory(
        m_app, m_pMainWindow.data(), [this, notice, parentWindow](CProgressDlg& dialog) {
            m_pWindow = &dialog;
            QObject::connect(
                &dialog, &CProgressDlg::endedPosted, QCoreApplication::instance(),
                [notice, parentWindow](qint64 parent, int ended) {
                    if (parent == parentWindow) notice->Receive(ended);
                },
                Qt::QueuedConnection);
        });
    const bool outcome = RunOnWorker(factory, parentWindow);
    TellHowAStopEnded();
    notice->runReturned = true;
    if (notice->held) PostToGuiThread([notice] { notice->Deliver(*notice->held); });
    return outcome;
}

bool CGuiRun::RunOnWorker(IProgressWindowFactory& factory, std::int64_t parentWindow) {
    IProgressWindowFactory* previous = m_app.ProgressWindowFactory();
    m_app.SetProgressWindowFactory(&factory);
    std::atomic<bool> finished{false};
    bool outcome = false;
    auto work = [this, parentWindow, &outcome, &finished] {
        outcome = CUpdateRun(m_app).RunUpdate(parentWindow);
        finished = true;
        PostToGuiThread([] {});  // wakes the wait below
    };
    std::thread worker;
    try {
        worker = std::thread(work);
    } catch (const std::system_error&) {
        work();  // no thread to be had: the run blocks the GUI, its window still works
    }
    // Serve the window (and the engine's sends and message boxes) until the run is over.
    while (!finished) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (worker.joinable()) worker.join();
    m_app.SetProgressWindowFactory(previous);
    return outcome;
}

void CGuiRun::TellHowAStopEnded() {
    if (!m_pWindow || !m_pWindow->IsStopping()) return;
    const auto state = static_cast<CProgressDlg::ESystemState>(AskSystemState());
    if (m_pWindow) m_pWindow->ShowStopped(state);
}

int CGuiRun::AskSystemState() {
    std::atomic<bool> done{false};
    auto state = CProgressDlg::ESystemState::kUnknown;
    std::thread asker([this, &state, &done] {
        CFTPBase* link = m_app.m_pLink.get();
        // The logon itself asks the system's mode; a system that is restarting does not answer.
        if (link && link->LogonToSystem(m_app.m_strAddress, "admin", m_app.m_strPassword)) {
            state = link->IsNormalMode() ? CProgressDlg::ESystemState::kNormalMode
                                         : CProgressDlg::ESystemState::kUpdateMode;
            link->Disconnect();
        }
        done = true;
        PostToGuiThread([] {});
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    asker.join();
    return static_cast<int>(state);
}

bool RunUpdateWithProgressWindow(CQuillmarch6App& app, QWidget* parent,
                                 std::function<void(int ended)> onEnded) {
    return CGuiRun(app, parent ? parent->window() : nullptr).Run(std::move(onEnded), parent);
}

bool RunCommandLineWithProgressWindow(CQuillmarch6App& app, CMessageBoxRouter& router, int& argc,
                                      char** argv) {
    std::unique_ptr<QApplication> application;
    if (!QCoreApplication::instance()) {
        std::string reason;
        if (!CGuiPlatformProbe::PrepareStart(&reason)) {
            std::fprintf(stderr, "No progress window (%s); progress follows here.\n",
                         reason.c_str());
            return CUpdateRun(app).RunUpdateNoParent();  // the terminal display
        }
        application = std::make_unique<QApplication>(argc, argv);
        application->setQuitOnLastWindowClosed(false);
    } else if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return CUpdateRun(app).RunUpdateNoParent();
    }
    CQtMessageBox messageBox;
    IMessageBox& previous = router.Target();
    router.SetTarget(messageBox);
    CGuiRun run(app, nullptr);
    const bool outcome = run.Run();
    ShowOutcomeUntilOk(app, run.Window(), outcome);
    router.SetTarget(previous);
    CProgressExitHandle::HandOver(app, std::move(application));
    return outcome;
}

}  // namespace quillmarch
