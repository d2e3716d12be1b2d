// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <array>
#include <string>

#include "gui/wizard/WizardPage.h"

class QLabel;
class QRadioButton;

namespace quillmarch {

class AddressControl;
class PageLabel;

// The LAN page: automatic addressing or the three addresses entered by hand, with a warning
// while the addressing mode differs from the system's.
class LanSettingsPage : public WizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 182;
    static constexpr int kSideBitmapId = 189;

    explicit LanSettingsPage(RunContext& app, QWidget* parent = nullptr);

    void PageCreated() override;
    void PageShown() override;
    int ValidateNext() override;
    void BackClicked() override;

    // Why Next is refused for these manual addresses, each given as its four fields joined
    // by dots ("..." when all are empty); empty when they make a working setup. An empty
    // gateway is allowed: the system then reaches its own subnet only.
    static QString RefusalFor(const QString& address, const QString& mask, const QString& gateway);

private:
    static constexpr int kAddresses = 3;  // address, subnet mask, default gateway

    void ChooseDhcp(bool dhcp);
    void ShowAddresses(bool show);
    void UpdateWarning();
    // Shows why Next is refused (or that no gateway is set) and enables Next accordingly.
    void UpdateValidity();
    QString FieldsText(int control) const;
    // The dotted text of one control; empty when all its fields are. False (after reporting
    // the bad field) for a partly filled or out-of-range address.
    static bool ReadAddress(AddressControl& control, std::string& text);

    PageLabel* m_heading = nullptr;
    QRadioButton* m_automatic = nullptr;
    QRadioButton* m_manual = nullptr;
    std::array<QLabel*, kAddresses> m_labels{};
    std::array<AddressControl*, kAddresses> m_addresses{};
    PageLabel* m_warning = nullptr;
    PageLabel* m_validity = nullptr;
};

}  // namespace quillmarch
