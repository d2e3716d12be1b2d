// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/pages/LanSettingsPage.h"

#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/catalogue/ModelCatalogue.h"
#include "core/job/RunContext.h"
#include "core/wizard/WalkRules.h"
#include "gui/widgets/AddressControl.h"
#include "gui/widgets/AddressFieldEdit.h"
#include "gui/widgets/PageLabel.h"

namespace quillmarch {

namespace {

const char* const kLabelNames[] = {"labelIpAddress", "labelSubnetMask", "labelGateway"};
const char* const kAddressNames[] = {"ipAddress", "ipSubnetMask", "ipGateway"};

}  // namespace

LanSettingsPage::LanSettingsPage(RunContext& app, QWidget* parent)
    : WizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageNetworkSettings"));
    m_heading = new PageLabel(this);
    m_heading->setObjectName(QStringLiteral("labelHeading"));
    m_heading->setWordWrap(true);
    m_automatic = new QRadioButton(this);
    m_automatic->setObjectName(QStringLiteral("radioDhcp"));
    m_manual = new QRadioButton(this);
    m_manual->setObjectName(QStringLiteral("radioManual"));
    Content()->addWidget(m_heading);
    Content()->addSpacing(8);
    Content()->addWidget(m_automatic);
    Content()->addWidget(m_manual);
    auto* grid = new QGridLayout;
    for (int i = 0; i < kAddresses; ++i) {
        m_labels[i] = new QLabel(this);
        m_labels[i]->setObjectName(QString::fromLatin1(kLabelNames[i]));
        m_addresses[i] = new AddressControl(this);
        m_addresses[i]->setObjectName(QString::fromLatin1(kAddressNames[i]));
        grid->addWidget(m_labels[i], i, 0);
        grid->addWidget(m_addresses[i], i, 1, Qt::AlignLeft);
    }
    Content()->addLayout(grid);
    m_warning = new PageLabel(this);
    m_warning->setObjectName(QStringLiteral("labelWarning"));
    m_warning->setWordWrap(true);
    Content()->addWidget(m_warning);
    Content()->addStretch(1);
    connect(m_automatic, &QRadioButton::clicked, this, [this] { ChooseDhcp(true); });
    connect(m_manual, &QRadioButton::clicked, this, [this] { ChooseDhcp(false); });
}

void LanSettingsPage::PageCreated() {
    LoadSideBitmap();
    m_heading->SetText(UiString(257, "Please select LAN Properties"));
    m_automatic->setText(
        Mnemonic(UiString(258, "Obtain IP address automatically"), QLatin1Char('O')));
    m_manual->setText(Mnemonic(UiString(259, "Enter IP address manually"), QLatin1Char('E')));
    m_labels[0]->setText(Mnemonic(UiString(260, "IP Address:"), QLatin1Char('I')));
    m_labels[1]->setText(Mnemonic(UiString(261, "Subnet Mask:"), QLatin1Char('S')));
    m_labels[2]->setText(Mnemonic(UiString(262, "Default Gateway:"), QLatin1Char('G')));
    for (int i = 0; i < 3; ++i) {
        m_labels[i]->setBuddy(m_addresses[i]);
        m_addresses[i]->SetAccessibleNames(
            m_labels[i]->text().remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    }
    m_warning->SetText(QStringLiteral(
        "Warning: Changing these settings may cause a loss of network connectivity."));
    m_addresses[0]->SetDottedText(m_app.Job().lan.ipAddress);
    m_addresses[1]->SetDottedText(m_app.Job().lan.subnetMask);
    m_addresses[2]->SetDottedText(m_app.Job().lan.defaultGateway);
    (m_app.Job().lan.dhcpWanted ? m_automatic : m_manual)->setChecked(true);
    ShowAddresses(!m_app.Job().lan.dhcpWanted);
    UpdateWarning();
}

void LanSettingsPage::PageShown() {
    RememberSheet();
    EnableNext(true);
    TruncateAfterThis();
}

void LanSettingsPage::ChooseDhcp(bool dhcp) {
    m_app.Job().lan.dhcpWanted = dhcp;
    ShowAddresses(!dhcp);
    UpdateWarning();
}

void LanSettingsPage::ShowAddresses(bool show) {
    for (int i = 0; i < kAddresses; ++i) {
        m_labels[i]->setVisible(show);
        m_addresses[i]->setVisible(show);
    }
}

void LanSettingsPage::UpdateWarning() {
    const bool modeChanges = m_app.Job().lan.dhcpWanted != m_app.Job().lan.dhcpCurrent;
    m_warning->setVisible(modeChanges);
    // A LAN-only model has no choice page: the LAN lines go out exactly when the mode changes.
    if (ModelCatalogue::IsLanOnlyModel(m_app.Job().target.systemType))
        m_app.Job().lan.changeLan = modeChanges;
}

bool LanSettingsPage::ReadAddress(AddressControl& control, std::string& text) {
    bool allEmpty = true;
    for (int field = 1; field <= 4; ++field)
        allEmpty = allEmpty && control.Field(field)->text().isEmpty();
    if (allEmpty) {
        text.clear();
        return true;
    }
    const QString dotted = control.DottedText();  // reports a bad field itself
    if (dotted.isEmpty()) return false;
    text = dotted.toStdString();
    return true;
}

int LanSettingsPage::ValidateBack() {
    // Kept for the operator's return (the page is built anew from the job); an address that
    // is not whole yet is not kept, and nothing is reported on the way back.
    if (m_app.Job().lan.dhcpWanted) return kAdvance;
    std::array<std::string*, kAddresses> targets{
        &m_app.Job().lan.ipAddress, &m_app.Job().lan.subnetMask, &m_app.Job().lan.defaultGateway};
    for (int i = 0; i < kAddresses; ++i) {
        AddressControl::SAddress address;
        if (!m_addresses[i]->GetAddress(address, false)) continue;
        const auto& b = address.bytes;
        *targets[static_cast<size_t>(i)] =
            QStringLiteral("%1.%2.%3.%4").arg(b[0]).arg(b[1]).arg(b[2]).arg(b[3]).toStdString();
    }
    return kAdvance;
}

int LanSettingsPage::ValidateNext() {
    if (!m_app.Job().lan.dhcpWanted) {
        std::array<std::string, kAddresses> texts;
        for (int i = 0; i < kAddresses; ++i)
            if (!ReadAddress(*m_addresses[i], texts[i])) return kStay;
        m_app.Job().lan.ipAddress = texts[0];
        m_app.Job().lan.subnetMask = texts[1];
        m_app.Job().lan.defaultGateway = texts[2];
    }
    AddNextPage(WalkRules::kNetworkSettings);
    return kAdvance;
}

}  // namespace quillmarch
