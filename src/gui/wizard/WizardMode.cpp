// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/WizardMode.h"

#include <QApplication>
#include <QEventLoop>
#include <QIcon>
#include <QTimer>
#include <memory>
#include <optional>

#include "core/job/RunContext.h"
#include "core/prefs/SettingsStore.h"
#include "core/run/RunInterrupt.h"
#include "core/ui/MessageBoxRouter.h"
#include "gui/app/GuiResources.h"
#include "gui/app/QtSettingsBackend.h"
#include "gui/app/WelcomeDialog.h"
#include "gui/progress/DisplayLoss.h"
#include "gui/progress/QtMessageBox.h"

namespace quillmarch {

namespace {

// How often the wizard looks for a stop.
constexpr int kStopPollMs = 100;

// Points the router at a box for the lifetime of the object, then back where it was.
class RouteScope {
public:
    RouteScope(MessageBoxRouter& router, IMessageBox& box)
        : m_router(router), m_previous(router.Target()) {
        m_router.SetTarget(box);
    }
    ~RouteScope() { m_router.SetTarget(m_previous); }
    RouteScope(const RouteScope&) = delete;
    RouteScope& operator=(const RouteScope&) = delete;

private:
    MessageBoxRouter& m_router;
    IMessageBox& m_previous;
};

// Modal until the dialog is done. Hiding it (during an update run) does not end the wait,
// as it would end QDialog::exec.
void RunModal(QDialog& dialog) {
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    loop.exec();
}

}  // namespace

int RunWizardMode(RunContext& app, MessageBoxRouter& router, int& argc, char** argv,
                  const ProgramEnd& end) {
    std::unique_ptr<QApplication> ownApplication;
    if (!QApplication::instance()) ownApplication = std::make_unique<QApplication>(argc, argv);
    // The welcome dialog hides while an update runs; the progress window closing then must
    // not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    EnsureGuiResources();
    QApplication::setWindowIcon(QIcon(ProgramIconPath()));

    QtMessageBox box;
    RouteScope route(router, box);
    QtSettingsBackend settings;
    SettingsStore(settings).LoadSettings(app);
    std::optional<DisplayLoss> loss;
    if (end) loss.emplace(end);
    // A signal only sets atomics: look for it here, and end every dialog once no run is going
    // (no dialog opens after that).
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, [&app] {
        if (app.Interrupt().Requested() && !DisplayLoss::RunActive()) QCoreApplication::exit(0);
    });
    stopWatch.start(kStopPollMs);
    WelcomeDialog welcome(app);
    RunModal(welcome);
    return 0;
}

}  // namespace quillmarch
