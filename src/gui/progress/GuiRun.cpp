// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/progress/GuiRun.h"

#include <QApplication>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "core/job/RunContext.h"
#include "core/link/DeviceLink.h"
#include "core/run/RunEnding.h"
#include "core/run/RunEndingWatch.h"
#include "core/run/RunInterrupt.h"
#include "core/run/UpdateRun.h"
#include "core/ui/MessageBoxRouter.h"
#include "gui/progress/DisplayLoss.h"
#include "gui/progress/GuiPlatformProbe.h"
#include "gui/progress/GuiThreadCall.h"
#include "gui/progress/ProgressDialog.h"
#include "gui/progress/ProgressDialogFactory.h"
#include "gui/progress/ProgressExitHandle.h"
#include "gui/progress/QtMessageBox.h"

namespace quillmarch {

namespace {

// How often a wait for the operator looks for a stop (a signal sets only atomics).
constexpr int kStopPollMs = 100;

// The end notice of one run's window. The window may say it was closed while the engine still
// runs; the notice is held until the run has returned, so that closing the window can never end
// the caller's dialog under a running engine. GUI thread only.
struct EndedNotice {
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
void ShowOutcomeUntilOk(RunContext& app, const QPointer<ProgressDialog>& window,
                        const QString& line) {
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    if (!window || !window->isVisible()) return;
    // A stopped run ends without waiting for a click: the stop is the operator's answer.
    if (app.Interrupt().Requested()) return;
    QTimer stopWatch;  // wakes the wait below, so a stop given meanwhile is seen
    stopWatch.start(kStopPollMs);
    while (window && window->isVisible() && !app.Interrupt().Requested())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace

GuiRun::GuiRun(RunContext& app, QWidget* mainWindow) : m_app(app), m_mainWindow(mainWindow) {}

bool GuiRun::Run(std::function<void(int ended)> onEnded, QObject* receiver) {
    if (!onEnded) {
        ProgressDialogFactory factory(m_app, m_mainWindow.data(),
                                      [this](ProgressDialog& dialog) { m_window = &dialog; });
        const bool outcome = RunOnWorker(factory, 0);
        TellHowItEnded();
        return outcome;
    }
    auto notice = std::make_shared<EndedNotice>();
    notice->onEnded = std::move(onEnded);
    notice->receiver = receiver;
    notice->hasReceiver = receiver != nullptr;
    // The window reports to the "parent window" the run start names: this notice.
    const auto parentWindow =
        static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(notice.get()));
    ProgressDialogFactory factory(
        m_app, m_mainWindow.data(), [this, notice, parentWindow](ProgressDialog& dialog) {
            m_window = &dialog;
            dialog.SetParentWindow(parentWindow);
            QObject::connect(
                &dialog, &ProgressDialog::EndedPosted, QCoreApplication::instance(),
                [notice, parentWindow](qint64 parent, int ended) {
                    if (parent == parentWindow) notice->Receive(ended);
                },
                Qt::QueuedConnection);
        });
    const bool outcome = RunOnWorker(factory, parentWindow);
    TellHowItEnded();
    notice->runReturned = true;
    // A window the engine closed (or that never opened) gives no notice: hand back at once.
    if (!notice->held && (!m_window || !m_window->isVisible())) notice->held = 0;
    if (notice->held) PostToGuiThread([notice] { notice->Deliver(*notice->held); });
    return outcome;
}

bool GuiRun::RunOnWorker(IProgressWindowFactory& factory, std::int64_t parentWindow) {
    IProgressWindowFactory* previous = m_app.ProgressWindowFactory();
    m_app.SetProgressWindowFactory(&factory);
    std::atomic<bool> finished{false};
    bool outcome = false;
    RunEndingWatch watch(m_app);  // the facts of the closing sentence
    auto work = [this, parentWindow, &outcome, &finished] {
        outcome = UpdateRun(m_app).RunUpdate(parentWindow);
        finished = true;
        // After this, a lost display may end the program with the outcome.
        DisplayLoss::RunEnded(outcome);
        PostToGuiThread([] {});  // wakes the wait below
    };
    DisplayLoss::RunStarted();
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
    m_ending = QString::fromStdString(RunEnding::Sentence(watch.Facts(outcome)));
    return outcome;
}

void GuiRun::TellHowItEnded() {
    if (!m_window || !m_window->isVisible()) return;
    if (!m_window->IsStopping()) {
        // A signal's stop ends the program without waiting for anyone (RunCommandLine...).
        if (!m_app.Interrupt().Requested()) m_window->ShowOutcome(m_ending);
        return;
    }
    const auto state = static_cast<ProgressDialog::SystemState>(AskSystemState());
    if (m_window) m_window->ShowStopped(state);
}

int GuiRun::AskSystemState() {
    std::atomic<bool> done{false};
    auto state = ProgressDialog::SystemState::kUnknown;
    std::thread asker([this, &state, &done] {
        DeviceLink* link = m_app.m_link.get();
        // The logon itself asks the system's mode; a system that is restarting does not answer.
        if (link &&
            link->LogonToSystem(m_app.Job().target.address, "admin", m_app.Job().target.password)) {
            state = link->IsNormalMode() ? ProgressDialog::SystemState::kNormalMode
                                         : ProgressDialog::SystemState::kUpdateMode;
            link->Disconnect();
        }
        done = true;
        PostToGuiThread([] {});
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    asker.join();
    return static_cast<int>(state);
}

bool RunUpdateWithProgressWindow(RunContext& app, QWidget* parent,
                                 std::function<void(int ended)> onEnded) {
    return GuiRun(app, parent ? parent->window() : nullptr).Run(std::move(onEnded), parent);
}

bool RunCommandLineWithProgressWindow(RunContext& app, MessageBoxRouter& router, int& argc,
                                      char** argv, const ProgramEnd& end) {
    std::unique_ptr<QApplication> application;
    if (!QCoreApplication::instance()) {
        std::string reason;
        if (!GuiPlatformProbe::PrepareStart(&reason)) {
            std::fprintf(stderr, "No progress window (%s); progress follows here.\n",
                         reason.c_str());
            return UpdateRun(app).RunUpdateNoParent();  // the terminal display
        }
        application = std::make_unique<QApplication>(argc, argv);
        application->setQuitOnLastWindowClosed(false);
    } else if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return UpdateRun(app).RunUpdateNoParent();
    }
    QtMessageBox messageBox(nullptr, &app.Interrupt());
    IMessageBox& previous = router.Target();
    router.SetTarget(messageBox);
    std::optional<DisplayLoss> loss;
    if (end) loss.emplace(end);
    GuiRun run(app, nullptr);
    const bool outcome = run.Run();
    ShowOutcomeUntilOk(app, run.Window(), run.Ending());
    router.SetTarget(previous);
    ProgressExitHandle::HandOver(app, std::move(application));
    return outcome;
}

}  // namespace quillmarch
