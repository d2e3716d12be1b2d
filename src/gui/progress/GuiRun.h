// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "cli/GuiHooks.h"
#include "gui/progress/ProgressDialog.h"

namespace quillmarch {

class RunContext;
class MessageBoxRouter;
class IProgressWindowFactory;

// Runs an update with the progress window, keeping the GUI responsive: the update runs on a
// worker thread, the window lives on the GUI thread, and this thread serves events until the
// worker has finished. Returns the run's outcome. parent: the window that hands over to the run
// (the welcome dialog); the progress window takes its top-left corner. onEnded receives the
// window's end notice, 0 (OK) or 1 (Cancel/Quit), on the GUI thread, never before the run has
// returned: a notice given during the run is held until then, a later one is delivered when the
// operator closes the finished window, and at once after the run when the window is gone
// already (the engine closed it, or none could be made). It is not called when parent has been
// destroyed by then. GUI thread only.
bool RunUpdateWithProgressWindow(RunContext& app, QWidget* parent,
                                 std::function<void(int ended)> onEnded);

// A command-line run that is not quiet, with a display: starts Qt, shows the engine's message
// boxes as real boxes, runs the update with the progress window (in the middle of the desktop)
// and answers its outcome. Qt stays alive after the return while the job record still knows the
// window, so that the close the program's end posts to it reaches it (ProgressExitHandle).
// When Qt cannot start here, the run shows its progress on the terminal instead. With end, a
// display that goes away lets the run finish without its window and then ends the program
// through end (DisplayLoss).
bool RunCommandLineWithProgressWindow(RunContext& app, MessageBoxRouter& router, int& argc,
                                      char** argv, const ProgramEnd& end = {});

// One update run on a worker thread while the calling GUI thread serves events.
class GuiRun {
public:
    // mainWindow: the application's main window, where the progress window places itself.
    GuiRun(RunContext& app, QWidget* mainWindow);

    // Runs UpdateRun::RunUpdate with the GUI's progress window. With onEnded, the window's end
    // notice goes to it (see RunUpdateWithProgressWindow; receiver, when given, must still
    // exist); without, the run has no parent window and the notice no receiver.
    // After a run the operator stopped, the window says what state the system is left in.
    bool Run(std::function<void(int ended)> onEnded = {}, QObject* receiver = nullptr);
    // The window of the last run, while it exists.
    ProgressDialog* Window() const { return m_window.data(); }
    // The last run's closing sentence (RunEnding); a stopped run's window says its own.
    const QString& Ending() const { return m_ending; }

private:
    bool RunOnWorker(IProgressWindowFactory& factory, std::int64_t parentWindow);
    // The closing sentence in the window; after a stop, the state the system is left in.
    void TellHowItEnded();
    // Logs on once more to read the mode (off the GUI thread; events are served meanwhile).
    int AskSystemState();

    RunContext& m_app;
    QPointer<QWidget> m_mainWindow;
    QPointer<ProgressDialog> m_window;
    QString m_ending;
};

}  // namespace quillmarch
