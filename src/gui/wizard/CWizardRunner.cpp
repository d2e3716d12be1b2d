#include "gui/wizard/CWizardRunner.h"

#include <vector>

#include "core/app/CQuillmarch6App.h"
#include "gui/app/CHelpLauncher.h"
#include "gui/app/CQtSettingsBackend.h"
#include "gui/settings/CChangeSystemSettingsProp.h"
#include "gui/settings/CDisplaySettingsProp.h"
#include "gui/settings/CNetworkSettingsProp.h"
#include "gui/settings/CSecureModeProp.h"
#include "gui/wizard/CIPAddressProp.h"
#include "gui/wizard/CInfoAlertProp.h"
#include "gui/wizard/CQuillmarchSheet.h"
#include "gui/wizard/CResultsProp.h"
#include "gui/wizard/CSoftwareUpgradeProp.h"
#include "gui/wizard/CSystemInfoProp.h"
#include "gui/wizard/CUpgradeChoiceProp.h"
#include "gui/wizard/CUpgradeTypeProp.h"
#include "gui/wizard/CWalkChoices.h"

namespace quillmarch {

namespace {

// Page-table order; indexes 6 to 9 are the settings pages.
std::vector<CWizardPage*> MakePageTable(CQuillmarch6App& app, ISettingsBackend& settings) {
    return {
        new CInfoAlertProp(app),
        new CIPAddressProp(app, settings),
        new CSystemInfoProp(app),
        new CUpgradeTypeProp(app),
        new CUpgradeChoiceProp(app, settings),
        new CSoftwareUpgradeProp(app),
        new CChangeSystemSettingsProp(app),
        new CNetworkSettingsProp(app),
        new CSecureModeProp(app),
        new CDisplaySettingsProp(app),
        new CResultsProp(app),
    };
}

}  // namespace

std::unique_ptr<CQuillmarchSheet> CWizardRunner::BuildSheet(CQuillmarch6App& app,
                                                            ISettingsBackend& settings,
                                                            QWidget* owner) {
    auto sheet = std::make_unique<CQuillmarchSheet>(app, owner);
    sheet->SetPageTable(MakePageTable(app, settings));
    sheet->AddPage(0);
    QObject::connect(sheet.get(), &CQuillmarchSheet::HelpRequested, sheet.get(),
                     [&app](int templateId) { CHelpLauncher(app).ShowHelpFor(templateId); });
    return sheet;
}

bool CWizardRunner::Run(CQuillmarch6App& app, QWidget* owner, ISettingsBackend& settings) {
    CWalkChoices::ResetForNewWalk(app);  // nothing carries over from the last walk
    auto sheet = BuildSheet(app, settings, owner);
    sheet->Begin();
    const bool finished = sheet->exec() == CQuillmarchSheet::ID_WIZFINISH;
    if (!finished) app.CloseLog();
    return finished;
}

bool RunWizard(CQuillmarch6App& app, QWidget* owner) {
    CQtSettingsBackend settings;
    return CWizardRunner::Run(app, owner, settings);
}

}  // namespace quillmarch
