#include "gui/settings/CSecureModeProp.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <memory>

#include "core/app/CQuillmarch6App.h"
#include "core/app/CWalkRules.h"
#include "core/app/TextUtil.h"
#include "gui/widgets/CLabel.h"
#include "gui/wizard/CQuillmarchSheet.h"

namespace quillmarch {

namespace {

std::string TrimRight(const std::string& text) {
    const auto last = text.find_last_not_of(text::kBlanks);
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

}  // namespace

CSecureModeProp::CSecureModeProp(CQuillmarch6App& app, QWidget* parent)
    : CWizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageSecureMode"));
    m_pHeading = new CLabel(this);
    m_pHeading->setObjectName(QStringLiteral("labelHeading"));
    m_pHeading->setWordWrap(true);
    m_pUseRoom = new QCheckBox(this);
    m_pUseRoom->setObjectName(QStringLiteral("checkUseRoom"));
    m_pUseRoom->setChecked(true);
    Content()->addWidget(m_pHeading);
    Content()->addWidget(m_pUseRoom);
    m_pRoom = AddPasswordRow(m_pRoomLabel, "labelRoom", "editRoom");
    m_pRoomConfirm = AddPasswordRow(m_pRoomConfirmLabel, "labelRoomConfirm", "editRoomConfirm");
    m_pRemote = AddPasswordRow(m_pRemoteLabel, "labelRemote", "editRemote");
    m_pRemoteConfirm =
        AddPasswordRow(m_pRemoteConfirmLabel, "labelRemoteConfirm", "editRemoteConfirm");
    m_pMessage = new CLabel(this);
    m_pMessage->setObjectName(QStringLiteral("labelMessage"));
    m_pMessage->setWordWrap(true);
    m_pMessage->hide();
    Content()->addWidget(m_pMessage);
    Content()->addStretch(1);
    connect(m_pUseRoom, &QCheckBox::clicked, this, &CSecureModeProp::ApplyCheckBoxView);
}

QLineEdit* CSecureModeProp::AddPasswordRow(QLabel*& label, const char* labelName,
                                           const char* editName) {
    label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(labelName));
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(editName));
    edit->setEchoMode(QLineEdit::Password);
    auto* row = new QHBoxLayout;
    row->addWidget(label, 1);
    row->addWidget(edit, 2);
    Content()->addLayout(row);
    return edit;
}

void CSecureModeProp::OnInitDialog() {
    LoadSideBitmap();
    ReadSerialNumber();
    m_pMessage->hide();  // a page appended anew starts without the last refusal
    m_pUseRoom->setText(UiString(283,
                                 "Please enter admin password.  Password should not be empty or "
                                 "default when secure mode is enabled."));
    m_pRoomLabel->setText(UiString(264, "Password:"));
    m_pRoomConfirmLabel->setText(UiString(265, "Verify"));
    m_pRemoteLabel->setText(UiString(284, "Password:"));
    m_pRemoteConfirmLabel->setText(UiString(265, "Verify"));
}

void CSecureModeProp::ReadSerialNumber() {
    m_strSerialNumber.clear();
    if (!Sheet()) RememberSheet();
    if (!Sheet()) return;
    auto serial = std::make_shared<std::string>();
    CQuillmarch6App& app = m_app;
    Sheet()->RunOnDevice(
        this,
        [&app, serial] {
            // Stays empty when the file cannot be fetched.
            if (app.m_pLink) app.m_pLink->DownloadDatFile("serialnumber", *serial);
        },
        [this, serial] { m_strSerialNumber = TrimRight(*serial); });
}

void CSecureModeProp::OnSetActive() {
    RememberSheet();
    EnableNext(true);
    TruncateAfterThis();
    m_pUseRoom->setChecked(m_app.m_bUseRoomForRemote);
    ApplyCheckBoxView();
}

void CSecureModeProp::ApplyCheckBoxView() {
    const bool useRoom = m_pUseRoom->isChecked();
    for (QWidget* remote :
         {static_cast<QWidget*>(m_pRemoteLabel), static_cast<QWidget*>(m_pRemote),
          static_cast<QWidget*>(m_pRemoteConfirmLabel), static_cast<QWidget*>(m_pRemoteConfirm)})
        remote->setVisible(!useRoom);
    const char* fallback = "Your system is currently set for security mode.";
    m_pHeading->SetText(useRoom ? UiString(263, fallback) : UiString(282, fallback));
}

bool CSecureModeProp::IsAcceptable(const QString& password, const std::string& current) const {
    const std::string typed = password.toStdString();
    return !typed.empty() && !text::EqualsNoCase(typed, current) &&
           !text::EqualsNoCase(typed, m_strSerialNumber);
}

int CSecureModeProp::OnWizardNext() {
    const bool useRoom = m_pUseRoom->isChecked();
    if ((!useRoom && m_pRemote->text() != m_pRemoteConfirm->text()) ||
        m_pRoom->text() != m_pRoomConfirm->text()) {
        m_pMessage->SetText(UiString(
            213,
            "The passwords you typed do not match. Please retype the new password in both boxes."));
        m_pMessage->show();
        return kStay;
    }
    const bool remoteOk = useRoom || IsAcceptable(m_pRemote->text(), m_app.m_strPassword);
    const bool roomOk = IsAcceptable(m_pRoom->text(), m_app.m_strRoomPassword);
    if (!remoteOk || !roomOk) {
        m_pMessage->SetText(UiString(214,
                                     "If you choose to retain your default password, or have no "
                                     "password, then you must disable security mode."));
        m_pMessage->show();
        return kStay;
    }
    m_pMessage->hide();
    m_app.m_bUseRoomForRemote = useRoom;
    m_app.m_strNewRoomPassword = m_pRoom->text().toStdString();
    m_app.m_strNewRemotePassword =
        useRoom ? m_app.m_strNewRoomPassword : m_pRemote->text().toStdString();
    AddNextPage(CWalkRules::kSecureMode);
    return kAdvance;
}

}  // namespace quillmarch
