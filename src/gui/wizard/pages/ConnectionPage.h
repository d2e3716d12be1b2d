// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <string>

#include "gui/wizard/WizardPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace quillmarch {

class PageLabel;
class ISettingsBackend;

// The connection page: the operator names the system and its password; Next connects,
// identifies the system, refuses one this program has no image for, asks before breaking into
// a call, remembers the address in the model's address history and only then moves on.
class ConnectionPage : public WizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 173;
    static constexpr int kSideBitmapId = 172;

    ConnectionPage(RunContext& app, ISettingsBackend& settings, QWidget* parent = nullptr);

    void PageCreated() override;
    void PageShown() override;
    int ValidateNext() override;

    // The context menu's two commands (also reached by the check box for passive mode).
    // A message in the status line (the facts page sends the operator back with one).
    void ShowStatus(const QString& text);
    void TogglePassiveMode();
    void ToggleAdvancedLog();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // What the device calls of Next found out (filled off the GUI thread).
    struct SConnectResult {
        bool connected = false;
        std::string lastError;
        bool refused = false;
        bool inCall = false;
    };

    void BuildControls();
    void ShowEntryControls(bool show);
    void FillAddressBox();
    void UpdateNextFromAddress();
    void OnAddressEdited();
    void SetStatus(const QString& text);
    static void Connect(RunContext& app, const std::string& address, const std::string& password,
                        SConnectResult& result);
    QString FailureText(const SConnectResult& result) const;
    void OnConnected(const std::string& address, const SConnectResult& result);
    QString RefusedText() const;
    // The registry value of the address history; empty when no model has an image.
    std::string HistoryValueName() const;
    void SaveAddressHistory(const std::string& address);

    ISettingsBackend& m_settings;
    PageLabel* m_heading = nullptr;
    QLabel* m_addressLabel = nullptr;
    QComboBox* m_addressBox = nullptr;
    QLabel* m_passwordLabel = nullptr;
    QLineEdit* m_passwordEdit = nullptr;
    QCheckBox* m_passiveBox = nullptr;
    QLabel* m_status = nullptr;
};

}  // namespace quillmarch
