#pragma once

#include <array>
#include <string>
#include <vector>

#include "gui/wizard/CWizardPage.h"

class QLabel;
class QTreeWidget;

namespace quillmarch {

class CLabel;

// The system information page: the connected system's facts beside the software version this
// program installs. When its window is created (once per connection) it also reads the
// system's LAN, display and security settings into the job, so that the settings pages start
// from the system's real values.
class CSystemInfoProp : public CWizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 172;
    static constexpr int kRowCount = 9;  // rows of the fixed table, before "Model"
    static constexpr int kSettingCount = 11;

    explicit CSystemInfoProp(CQuillmarch6App& app, QWidget* parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    int OnWizardNext() override;
    int OnWizardBack() override;
    void OnCancel() override;

    // A fact as shown: trimmed, then every character other than an ASCII letter or digit,
    // ".", "_" or ":" turned into a space.
    static std::string CleanFact(const std::string& text);
    // The settings files' texts (in the order of the keys) into the job.
    static void ApplySettings(CQuillmarch6App& app,
                              const std::array<std::string, kSettingCount>& texts);

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
    // Leaves the system (disconnects) and shows the connection page with the message.
    void GoBackSaying(const QString& message);
    void ShowFacts(const std::vector<std::string>& facts);
    void Disconnect(bool thenGoBack);

    CLabel* m_pHeading = nullptr;
    QLabel* m_pClickNext = nullptr;
    QTreeWidget* m_pList = nullptr;
    // Per row of the fixed table, the file on the system that gives its current value; an
    // empty name hides the row. Filled on initialisation, emptied on Back.
    std::vector<std::string> m_astrFiles;
    QString m_strGoBackMessage;
};

}  // namespace quillmarch
