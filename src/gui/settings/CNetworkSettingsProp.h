#pragma once

#include <array>
#include <string>

#include "gui/wizard/CWizardPage.h"

class QLabel;
class QRadioButton;

namespace quillmarch {

class CIPAddressCtrl;
class CLabel;

// The LAN page: automatic addressing or the three addresses entered by hand, with a warning
// while the addressing mode differs from the system's.
class CNetworkSettingsProp : public CWizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 182;
    static constexpr int kSideBitmapId = 189;

    explicit CNetworkSettingsProp(CQuillmarch6App& app, QWidget* parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    int OnWizardNext() override;
    int OnWizardBack() override;

private:
    static constexpr int kAddresses = 3;  // address, subnet mask, default gateway

    void ChooseDhcp(bool dhcp);
    void ShowAddresses(bool show);
    void UpdateWarning();
    // The dotted text of one control; empty when all its fields are. False (after reporting
    // the bad field) for a partly filled or out-of-range address.
    static bool ReadAddress(CIPAddressCtrl& control, std::string& text);

    CLabel* m_pHeading = nullptr;
    QRadioButton* m_pAutomatic = nullptr;
    QRadioButton* m_pManual = nullptr;
    std::array<QLabel*, kAddresses> m_apLabels{};
    std::array<CIPAddressCtrl*, kAddresses> m_apAddresses{};
    CLabel* m_pWarning = nullptr;
};

}  // namespace quillmarch
