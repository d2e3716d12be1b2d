#pragma once

#include <string>

#include "gui/wizard/CWizardPage.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace quillmarch {

class CLabel;

// The security page, shown when the security mode is switched on: new room and remote access
// passwords, each typed twice. The passwords are echoed masked and go nowhere but the job's new
// password fields (and from there only into the provisioning file).
class CSecureModeProp : public CWizardPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 194;
    static constexpr int kSideBitmapId = 190;

    explicit CSecureModeProp(CQuillmarch6App& app, QWidget* parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    int OnWizardNext() override;

private:
    void ApplyCheckBoxView();
    void ReadSerialNumber();
    // Not empty, and different (ignoring letter case) from the password to be replaced and
    // from the serial number.
    bool IsAcceptable(const QString& password, const std::string& current) const;
    QLineEdit* AddPasswordRow(QLabel*& label, const char* labelName, const char* editName);

    CLabel* m_pHeading = nullptr;
    QCheckBox* m_pUseRoom = nullptr;
    QLabel* m_pRoomLabel = nullptr;
    QLineEdit* m_pRoom = nullptr;
    QLabel* m_pRoomConfirmLabel = nullptr;
    QLineEdit* m_pRoomConfirm = nullptr;
    QLabel* m_pRemoteLabel = nullptr;
    QLineEdit* m_pRemote = nullptr;
    QLabel* m_pRemoteConfirmLabel = nullptr;
    QLineEdit* m_pRemoteConfirm = nullptr;
    CLabel* m_pMessage = nullptr;
    std::string m_strSerialNumber;  // empty when it could not be read
};

}  // namespace quillmarch
