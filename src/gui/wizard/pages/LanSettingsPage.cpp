// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/pages/LanSettingsPage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/catalogue/ModelCatalogue.h"
#include "core/job/RunContext.h"
#include "gui/widgets/AddressControl.h"
#include "gui/widgets/AddressFieldEdit.h"
#include "gui/widgets/PageLabel.h"

namespace quillmarch {

namespace {

const char* const kLabelNames[] = {"labelIpAddress", "labelSubnetMask", "labelGateway"};
const char* const kAddressNames[] = {"ipAddress", "ipSubnetMask", "ipGateway"};

// One typed address: all fields empty, some empty, a field above 255, or a whole value.
struct SParsed {
    enum class State { Empty, Partial, OutOfRange, Whole } state = State::Empty;
    quint32 value = 0;
};

SParsed Parse(const QString& fields) {
    const QStringList parts = fields.split(QLatin1Char('.'));
    SParsed parsed;
    if (parts.size() != 4) return {SParsed::State::Partial, 0};
    int empty = 0;
    for (const QString& part : parts) empty += part.trimmed().isEmpty() ? 1 : 0;
    if (empty == 4) return parsed;
    if (empty > 0) return {SParsed::State::Partial, 0};
    for (const QString& part : parts) {
        bool ok = false;
        const uint byte = part.trimmed().toUInt(&ok);
        if (!ok || byte > 255) return {SParsed::State::OutOfRange, 0};
        parsed.value = (parsed.value << 8) | byte;
    }
    parsed.state = SParsed::State::Whole;
    return parsed;
}

// Why a typed address cannot be read; empty when it is whole (or empty and `mayBeEmpty`).
QString ShapeRefusal(const SParsed& parsed, const QString& name, bool mayBeEmpty) {
    switch (parsed.state) {
        case SParsed::State::Empty:
            return mayBeEmpty ? QString() : QStringLiteral("Enter the %1.").arg(name);
        case SParsed::State::Partial:
            return QStringLiteral("The %1 is incomplete: fill in all four parts.").arg(name);
        case SParsed::State::OutOfRange:
            return QStringLiteral("Each part of the %1 must be 0 to 255.").arg(name);
        case SParsed::State::Whole:
            break;
    }
    return {};
}

QString Dotted(quint32 value) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(value >> 24)
        .arg((value >> 16) & 0xFF)
        .arg((value >> 8) & 0xFF)
        .arg(value & 0xFF);
}

// A mask is ones followed by zeros; /31 and /32 leave no room for a host and a gateway.
bool IsUsableMask(quint32 mask) {
    const quint32 hosts = ~mask;
    return mask != 0 && (hosts & (hosts + 1)) == 0 && hosts >= 3;
}

// Zero ("this network") and class D/E addresses cannot be given to a system.
bool IsHostRange(quint32 address) {
    const quint32 first = address >> 24;
    return first != 0 && first < 224;
}

// Why `address` cannot be a host of the subnet `mask`; empty when it can.
QString HostRefusal(quint32 address, quint32 mask, const QString& name) {
    const QString text = Dotted(address);
    if (!IsHostRange(address))
        return QStringLiteral("%1 cannot be used as the %2.").arg(text, name);
    if ((address & ~mask) == 0)
        return QStringLiteral("%1 is the subnet's own address; it cannot be the %2.")
            .arg(text, name);
    if ((address & ~mask) == ~mask)
        return QStringLiteral("%1 is the subnet's broadcast address; it cannot be the %2.")
            .arg(text, name);
    return {};
}

QString GatewayRefusal(quint32 address, quint32 mask, quint32 gateway) {
    const QString name = QStringLiteral("default gateway");
    if ((gateway & mask) != (address & mask))
        return QStringLiteral(
                   "The default gateway %1 is not in the subnet of %2 with mask %3: "
                   "the system could not reach it.")
            .arg(Dotted(gateway), Dotted(address), Dotted(mask));
    if (gateway == address)
        return QStringLiteral("The default gateway cannot be the system's own address.");
    return HostRefusal(gateway, mask, name);
}

}  // namespace

LanSettingsPage::LanSettingsPage(RunContext& app, QWidget* parent)
    : WizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageNetworkSettings"));
    SetHeader(
        tr("LAN settings"),
        tr("How the system gets its network address: automatically, or the addresses you enter."));
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
    m_validity = new PageLabel(this);
    m_validity->setObjectName(QStringLiteral("labelValidity"));
    m_validity->setWordWrap(true);
    Content()->addWidget(m_validity);
    Content()->addStretch(1);
    connect(m_automatic, &QRadioButton::clicked, this, [this] { ChooseDhcp(true); });
    connect(m_manual, &QRadioButton::clicked, this, [this] { ChooseDhcp(false); });
    for (AddressControl* control : m_addresses)
        for (int field = 1; field <= 4; ++field)
            connect(control->Field(field), &QLineEdit::textChanged, this,
                    [this] { UpdateValidity(); });
}

QString LanSettingsPage::RefusalFor(const QString& address, const QString& mask,
                                    const QString& gateway) {
    const QString addressName = QStringLiteral("IP address");
    const SParsed host = Parse(address);
    const SParsed net = Parse(mask);
    const SParsed router = Parse(gateway);
    QString refusal = ShapeRefusal(host, addressName, false);
    if (refusal.isEmpty()) refusal = ShapeRefusal(net, QStringLiteral("subnet mask"), false);
    if (refusal.isEmpty()) refusal = ShapeRefusal(router, QStringLiteral("default gateway"), true);
    if (!refusal.isEmpty()) return refusal;
    if (!IsUsableMask(net.value))
        return QStringLiteral(
                   "%1 is not a usable subnet mask: it must be ones then zeros, from "
                   "128.0.0.0 to 255.255.255.252 (such as 255.255.255.0).")
            .arg(Dotted(net.value));
    refusal = HostRefusal(host.value, net.value, addressName);
    if (!refusal.isEmpty() || router.state == SParsed::State::Empty) return refusal;
    return GatewayRefusal(host.value, net.value, router.value);
}

QString LanSettingsPage::FieldsText(int control) const {
    QStringList fields;
    for (int field = 1; field <= 4; ++field)
        fields << m_addresses[static_cast<size_t>(control)]->Field(field)->text();
    return fields.join(QLatin1Char('.'));
}

void LanSettingsPage::UpdateValidity() {
    if (m_app.Job().lan.dhcpWanted) {
        m_validity->setVisible(false);
        EnableNext(true);
        return;
    }
    const QString refusal = RefusalFor(FieldsText(0), FieldsText(1), FieldsText(2));
    QString text = refusal;
    if (refusal.isEmpty() && Parse(FieldsText(2)).state == SParsed::State::Empty)
        text = QStringLiteral(
            "No default gateway: the system will reach only the computers of its own subnet.");
    m_validity->SetText(text);
    m_validity->setVisible(!text.isEmpty());
    EnableNext(refusal.isEmpty());
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
    UpdateValidity();
}

void LanSettingsPage::ChooseDhcp(bool dhcp) {
    m_app.Job().lan.dhcpWanted = dhcp;
    ShowAddresses(!dhcp);
    UpdateWarning();
    UpdateValidity();
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

void LanSettingsPage::BackClicked() {
    // Kept for the operator's return (the page is built anew from the job); an address that
    // is not whole yet is not kept, and nothing is reported on the way back.
    if (m_app.Job().lan.dhcpWanted) return;
    std::array<std::string*, kAddresses> targets{
        &m_app.Job().lan.ipAddress, &m_app.Job().lan.subnetMask, &m_app.Job().lan.defaultGateway};
    for (int i = 0; i < kAddresses; ++i) {
        AddressControl::SAddress address;
        if (!m_addresses[i]->GetAddress(address, false)) continue;
        const auto& b = address.bytes;
        *targets[static_cast<size_t>(i)] =
            QStringLiteral("%1.%2.%3.%4").arg(b[0]).arg(b[1]).arg(b[2]).arg(b[3]).toStdString();
    }
}

int LanSettingsPage::ValidateNext() {
    if (!m_app.Job().lan.dhcpWanted) {
        std::array<std::string, kAddresses> texts;
        for (int i = 0; i < kAddresses; ++i)
            if (!ReadAddress(*m_addresses[i], texts[i])) return kStay;
        if (!RefusalFor(FieldsText(0), FieldsText(1), FieldsText(2)).isEmpty()) return kStay;
        m_app.Job().lan.ipAddress = texts[0];
        m_app.Job().lan.subnetMask = texts[1];
        m_app.Job().lan.defaultGateway = texts[2];
    }
    return kAdvance;
}

}  // namespace quillmarch
