#include "gui/wizard/CWizardMode.h"

#include <QApplication>
#include <QEventLoop>
#include <QIcon>
#include <memory>

#include "core/app/CMessageBoxRouter.h"
#include "core/app/CQuillmarch6App.h"
#include "core/app/CSettingsStore.h"
#include "gui/app/CQtSettingsBackend.h"
#include "gui/app/GuiResources.h"
#include "gui/progress/CQtMessageBox.h"
#include "gui/wizard/CQuillmarch6Dlg.h"

namespace quillmarch {

namespace {

// Points the router at a box for the lifetime of the object, then back where it was.
class CRouteScope {
public:
    CRouteScope(CMessageBoxRouter& router, IMessageBox& box)
        : m_router(router), m_previous(router.Target()) {
        m_router.SetTarget(box);
    }
    ~CRouteScope() { m_router.SetTarget(m_previous); }
    CRouteScope(const CRouteScope&) = delete;
    CRouteScope& operator=(const CRouteScope&) = delete;

private:
    CMessageBoxRouter& m_router;
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

int RunWizardMode(CQuillmarch6App& app, CMessageBoxRouter& router, int& argc, char** argv) {
    std::unique_ptr<QApplication> ownApplication;
    if (!QApplication::instance()) ownApplication = std::make_unique<QApplication>(argc, argv);
    // The welcome dialog hides while an update runs; the progress window closing then must
    // not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    EnsureGuiResources();
    QApplication::setWindowIcon(QIcon(ProgramIconPath()));

    CQtMessageBox box;
    CRouteScope route(router, box);
    CQtSettingsBackend settings;
    CSettingsStore(settings).LoadSettings(app);
    CQuillmarch6Dlg welcome(app);
    RunModal(welcome);
    return 0;
}

}  // namespace quillmarch
