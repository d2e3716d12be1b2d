// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A Custom walk that visits every page a display-settings model (row 11) offers: the software
// update with settings, the LAN by hand, security mode on with separate passwords, the
// display, and one kind of data not kept.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <functional>
#include <map>

#include "gui/support/WizardHarness.h"
#include "gui/widgets/AddressControl.h"
#include "support/SimulatorProcess.h"

namespace quillmarch::test {

using PageAction = std::function<void(QWidget* page)>;

inline std::map<QString, PageAction> EveryPageWalk(const SimulatorProcess& sim) {
    return {
        {"pageIPAddress",
         [&sim](QWidget* page) {
             Find<QComboBox>(page, "comboAddress")
                 ->setEditText(QString::fromStdString(sim.Address()));
             Find<QLineEdit>(page, "editPassword")->setText(QString::fromStdString(sim.Password()));
         }},
        {"pageUpgradeType", [](QWidget* page) { Click(page, "radioCustom"); }},
        {"pageUpgradeChoice", [](QWidget* page) { Click(page, "checkChangeSettings"); }},
        {"pageSoftwareUpgrade", [](QWidget* page) { Click(page, "checkSampleSites"); }},
        {"pageChangeSettings",
         [](QWidget* page) {
             Click(page, "checkLan");
             Click(page, "checkSecureMode");
             Click(page, "checkDisplay");
         }},
        {"pageNetworkSettings",
         [](QWidget* page) {
             Click(page, "radioManual");
             Find<AddressControl>(page, "ipAddress")->SetDottedText("192.168.7.20");
             Find<AddressControl>(page, "ipSubnetMask")->SetDottedText("255.255.255.0");
             Find<AddressControl>(page, "ipGateway")->SetDottedText("192.168.7.1");
         }},
        {"pageSecureMode",
         [](QWidget* page) {
             if (Find<QCheckBox>(page, "checkUseRoom")->isChecked()) Click(page, "checkUseRoom");
             for (const char* name : {"editRoom", "editRoomConfirm"})
                 Find<QLineEdit>(page, name)->setText("Room-77");
             for (const char* name : {"editRemote", "editRemoteConfirm"})
                 Find<QLineEdit>(page, name)->setText("Far-88");
         }},
        {"pageDisplaySettings",
         [](QWidget* page) {
             Click(page, "radioVga");
             Click(page, "radioPal");
             Click(page, "radio16x9");
             Click(page, "radio1024");
         }},
    };
}

// Called on each page as it is shown (afterAction false) and once more after its action.
using PageVisit = std::function<void(QWidget* page, bool afterAction)>;

// Presses Next on every page up to the summary, running each page's action; the pages seen,
// in order.
inline QStringList WalkToSummary(WizardSheet& sheet, const std::map<QString, PageAction>& actions,
                                 const PageVisit& visit = {}) {
    QStringList pages;
    for (int step = 0; step < 14; ++step) {
        const QString name = ActivePageName(sheet);
        pages << name;
        if (visit) visit(sheet.ActivePage(), false);
        if (name == "pageResults") break;
        if (const auto action = actions.find(name); action != actions.end())
            action->second(sheet.ActivePage());
        if (visit) visit(sheet.ActivePage(), true);
        if (!Press(sheet, QWizard::NextButton)) break;
    }
    return pages;
}

}  // namespace quillmarch::test
