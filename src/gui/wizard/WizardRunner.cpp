// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/WizardRunner.h"

#include <vector>

#include "core/job/RunContext.h"
#include "gui/app/HelpLauncher.h"
#include "gui/app/QtSettingsBackend.h"
#include "gui/wizard/WalkChoices.h"
#include "gui/wizard/WizardSheet.h"
#include "gui/wizard/pages/ConnectionPage.h"
#include "gui/wizard/pages/DisplaySettingsPage.h"
#include "gui/wizard/pages/LanSettingsPage.h"
#include "gui/wizard/pages/NoticePage.h"
#include "gui/wizard/pages/RetainedDataPage.h"
#include "gui/wizard/pages/SecurityModePage.h"
#include "gui/wizard/pages/SettingsChoicePage.h"
#include "gui/wizard/pages/SummaryPage.h"
#include "gui/wizard/pages/SystemInfoPage.h"
#include "gui/wizard/pages/TaskChoicePage.h"
#include "gui/wizard/pages/UpdateTypePage.h"

namespace quillmarch {

namespace {

// Page-table order, which is also the pages' ids in the wizard; indexes 6 to 9 are the
// settings pages.
std::vector<WizardPage*> MakePageTable(RunContext& app, ISettingsBackend& settings) {
    return {
        new NoticePage(app),
        new ConnectionPage(app, settings),
        new SystemInfoPage(app),
        new UpdateTypePage(app),
        new TaskChoicePage(app, settings),
        new RetainedDataPage(app),
        new SettingsChoicePage(app),
        new LanSettingsPage(app),
        new SecurityModePage(app),
        new DisplaySettingsPage(app),
        new SummaryPage(app),
    };
}

}  // namespace

std::unique_ptr<WizardSheet> WizardRunner::BuildSheet(RunContext& app, ISettingsBackend& settings,
                                                      QWidget* owner) {
    auto sheet = std::make_unique<WizardSheet>(app, owner);
    sheet->SetPageTable(MakePageTable(app, settings));
    QObject::connect(sheet.get(), &WizardSheet::HelpRequested, sheet.get(),
                     [&app](int templateId) { HelpLauncher(app).ShowHelpFor(templateId); });
    return sheet;
}

bool WizardRunner::Run(RunContext& app, QWidget* owner, ISettingsBackend& settings) {
    WalkChoices::ResetForNewWalk(app.Job());  // nothing carries over from the last walk
    auto sheet = BuildSheet(app, settings, owner);
    sheet->Begin();
    const bool finished = sheet->exec() == QDialog::Accepted;
    if (!finished) app.CloseLog();
    return finished;
}

bool RunWizard(RunContext& app, QWidget* owner) {
    QtSettingsBackend settings;
    return WizardRunner::Run(app, owner, settings);
}

}  // namespace quillmarch
