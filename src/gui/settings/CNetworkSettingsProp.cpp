#include "gui/settings/CNetworkSettingsProp.h"

#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/app/CQuillmarch6App.h"
#include "core/app/CWalkRules.h"
#include "core/catalogue/CSystemInformationArray.h"
#include "gui/widgets/CIPAddressCtrl.h"
#include "gui/widgets/CIPAddressEdit.h"
#include "gui/widgets/CLabel.h"

namespace quillmarch {

namespace {

const char* const kLabelNames[] = {"labelIpAddress", "labelSubnetMask", "labelGateway"};
const char* const kAddressNames[] = {"ipAddress", "ipSubnetMask", "ipGateway"};

}  // namespace

CNetworkSettingsProp::CNetworkSettingsProp(CQuillmarch6App& app, QWidget* parent)
    : CWizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageNetworkSettings"));
    m_pHeading = new CLabel(this);
    m_pHeading->setObjectName(QStringLiteral("labelHeading"));
    m_pHeading->setWordWrap(true);
    m_pAutomatic = new QRadioButton(this);
    m_pAutomatic->setObjectName(QStringLiteral("radioDhcp"));
    m_pManual = new QRadioButton(this);
    m_pManual->setObjectName(QStringLiteral("radioManual"));
    Content()->addWidget(m_pHeading);
    Content()->addSpacing(8);
    Content()->addWidget(m_pAutomatic);
    Content()->addWidget(m_pManual);
    auto* grid = new QGridLayout;
    for (int i = 0; i < kAddresses; ++i) {
        m_apLabels[i] = new QLabel(this);
        m_apLabels[i]->setObjectName(QString::fromLatin1(kLabelNames[i]));
        m_apAddresses[i] = new CIPAddressCtrl(this);
        m_apAddresses[i]->setObjectName(QString::fromLatin1(kAddressNames[i]));
        grid->addWidget(m_apLabels[i], i, 0);
        grid->addWidget(m_apAddresses[i], i, 1, Qt::AlignLeft);
    }
    Content()->addLayout(grid);
    m_pWarning = new CLabel(this);
    m_pWarning->setObjectName(QStringLiteral("labelWarning"));
    m_pWarning->setWordWrap(true);
    Content()->addWidget(m_pWarning);
    Content()->addStretch(1);
    connect(m_pAutomatic, &QRadioButton::clicked, this, [this] { ChooseDhcp(true); });
    connect(m_pManual, &QRadioButton::clicked, this, [this] { ChooseDhcp(false); });
}

void CNetworkSettingsProp::OnInitDialog() {
    LoadSideBitmap();
    m_pHeading->SetText(UiString(257, "Please select LAN Properties"));
    m_pAutomatic->setText(UiString(258, "Obtain IP address automatically"));
    m_pManual->setText(UiString(259, "Enter IP address manually"));
    m_apLabels[0]->setText(UiString(260, "IP Address:"));
    m_apLabels[1]->setText(UiString(261, "Subnet Mask:"));
    m_apLabels[2]->setText(UiString(262, "Default Gateway:"));
    m_pWarning->SetText(QStringLiteral(
        "Warning: Changing these settings may cause a loss of network connectivity."));
    m_apAddresses[0]->SetDottedText(m_app.m_strIpAddress);
    m_apAddresses[1]->SetDottedText(m_app.m_strSubnetMask);
    m_apAddresses[2]->SetDottedText(m_app.m_strDefaultGateway);
    (m_app.m_bDhcpWanted ? m_pAutomatic : m_pManual)->setChecked(true);
    ShowAddresses(!m_app.m_bDhcpWanted);
    UpdateWarning();
}

void CNetworkSettingsProp::OnSetActive() {
    RememberSheet();
    EnableNext(true);
    TruncateAfterThis();
}

void CNetworkSettingsProp::ChooseDhcp(bool dhcp) {
    m_app.m_bDhcpWanted = dhcp;
    ShowAddresses(!dhcp);
    UpdateWarning();
}

void CNetworkSettingsProp::ShowAddresses(bool show) {
    for (int i = 0; i < kAddresses; ++i) {
        m_apLabels[i]->setVisible(show);
        m_apAddresses[i]->setVisible(show);
    }
}

void CNetworkSettingsProp::UpdateWarning() {
    const bool modeChanges = m_app.m_bDhcpWanted != m_app.m_bDhcpCurrent;
    m_pWarning->setVisible(modeChanges);
    // A LAN-only model has no choice page: the LAN lines go out exactly when the mode changes.
    if (CSystemInformationArray::IsLanOnlyModel(m_app.m_nSystemType))
        m_app.m_bChangeLan = modeChanges;
}

bool CNetworkSettingsProp::ReadAddress(CIPAddressCtrl& control, std::string& text) {
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

int CNetworkSettingsProp::OnWizardBack() {
    // Kept for the operator's return (the page is built anew from the job); an address that
    // is not whole yet is not kept, and nothing is reported on the way back.
    if (m_app.m_bDhcpWanted) return kAdvance;
    std::array<std::string*, kAddresses> targets{&m_app.m_strIpAddress, &m_app.m_strSubnetMask,
                                                 &m_app.m_strDefaultGateway};
    for (int i = 0; i < kAddresses; ++i) {
        CIPAddressCtrl::SAddress address;
        if (!m_apAddresses[i]->GetAddress(address, false)) continue;
        const auto& b = address.bytes;
        *targets[static_cast<size_t>(i)] =
            QStringLiteral("%1.%2.%3.%4").arg(b[0]).arg(b[1]).arg(b[2]).arg(b[3]).toStdString();
    }
    return kAdvance;
}

int CNetworkSettingsProp::OnWizardNext() {
    if (!m_app.m_bDhcpWanted) {
        std::array<std::string, kAddresses> texts;
        for (int i = 0; i < kAddresses; ++i)
            if (!ReadAddress(*m_apAddresses[i], texts[i])) return kStay;
        m_app.m_strIpAddress = texts[0];
        m_app.m_strSubnetMask = texts[1];
        m_app.m_strDefaultGateway = texts[2];
    }
    AddNextPage(CWalkRules::kNetworkSettings);
    return kAdvance;
}

}  // namespace quillmarch
