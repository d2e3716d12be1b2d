#include "gui/progress/CProgressDlgFactory.h"

#include "gui/progress/CProgressDlg.h"
#include "gui/progress/CProgressWindowBridge.h"
#include "gui/progress/GuiThreadCall.h"

namespace quillmarch {

CProgressDlgFactory::CProgressDlgFactory(CQuillmarch6App& app, QWidget* mainWindow,
                                         CreatedHandler onCreated)
    : m_app(app), m_pMainWindow(mainWindow), m_onCreated(std::move(onCreated)) {}

std::shared_ptr<IProgressWindow> CProgressDlgFactory::Start() {
    std::shared_ptr<IProgressWindow> window;  // stays null when the call cannot run
    CallOnGuiThread([this, &window] {
        auto* dialog = new CProgressDlg(m_app, m_pMainWindow.data());
        if (m_onCreated) m_onCreated(*dialog);
        window = std::make_shared<CProgressWindowBridge>(dialog);
        dialog->Open();
    });
    return window;
}

}  // namespace quillmarch
