// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <string>
#include <vector>

#include "gui/wizard/WizardPage.h"

class QLabel;
class QTreeWidget;

namespace quillmarch {

class PageLabel;

// The system information page: the connected system's facts beside the software version this
// program installs. When its window is created (once per connection) it also reads the
// system's LAN, display and security settings into the job, so that the settings pages start
// from the system's real values.
class SystemInfoPage : public WizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 172;
    static constexpr int kRowCount = 9;  // rows of the fixed table, before "Model"
    static constexpr int kSettingCount = 11;

    explicit SystemInfoPage(RunContext& app, QWidget* parent = nullptr);

    void PageCreated() override;
    void PageShown() override;
    void BackClicked() override;
    void CancelClicked() override;

    // A fact as shown: trimmed, then every character other than an ASCII letter or digit,
    // ".", "_" or ":" turned into a space.
    static std::string CleanFact(const std::string& text);
    // The settings files' texts (in the order of the keys) into the job.
    static void ApplySettings(RunContext& app, const std::array<std::string, kSettingCount>& texts);

private:
    // What the facts' device call found.
    struct SFacts {
        std::vector<std::string> texts;
        bool bAnyRead = false;
        std::string strError;  // the link's last error, for a read that found nothing
    };

    void ReadSettings();
    void FillList();
    void OnFactsRead(const SFacts& facts);
    // Goes back to the connection page, which shows the message once the link is closed.
    void GoBackSaying(const QString& message);
    void ShowFacts(const std::vector<std::string>& facts);
    // Leaves the system; then the connection page shows `message`, when there is one.
    void Disconnect(const QString& message);

    PageLabel* m_heading = nullptr;
    QLabel* m_clickNext = nullptr;
    QTreeWidget* m_list = nullptr;
    // Per row of the fixed table, the file on the system that gives its current value; an
    // empty name hides the row. Filled on initialisation, emptied on Back.
    std::vector<std::string> m_files;
    QString m_goBackMessage;
};

}  // namespace quillmarch
