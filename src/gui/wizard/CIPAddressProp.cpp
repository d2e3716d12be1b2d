#include "gui/wizard/CIPAddressProp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <initializer_list>

#include "core/app/AddressNames.h"
#include "core/app/CAddressHistory.h"
#include "core/app/CQuillmarch6App.h"
#include "core/app/CSettingsStore.h"
#include "core/app/CWalkRules.h"
#include "core/device/CSystemConnector.h"
#include "core/link/CSystemWebClient.h"
#include "gui/widgets/CLabel.h"
#include "gui/widgets/CStaticBmpEx.h"
#include "gui/wizard/CQuillmarchSheet.h"
#include "gui/wizard/CWalkChoices.h"

namespace quillmarch {

CIPAddressProp::CIPAddressProp(CQuillmarch6App& app, ISettingsBackend& settings, QWidget* parent)
    : CWizardPage(app, kTemplateId, kSideBitmapId, parent), m_settings(settings) {
    setObjectName(QStringLiteral("pageIPAddress"));
    BuildControls();
}

void CIPAddressProp::BuildControls() {
    m_pHeading = new CLabel(this);
    m_pHeading->setObjectName(QStringLiteral("labelHeading"));
    m_pHeading->setWordWrap(true);
    m_pAddressLabel = new QLabel(this);
    m_pAddressLabel->setObjectName(QStringLiteral("labelAddress"));
    m_pAddress = new QComboBox(this);
    m_pAddress->setObjectName(QStringLiteral("comboAddress"));
    m_pAddress->setEditable(true);
    m_pAddress->setInsertPolicy(QComboBox::NoInsert);
    m_pAddress->setDuplicatesEnabled(true);
    m_pPasswordLabel = new QLabel(this);
    m_pPasswordLabel->setObjectName(QStringLiteral("labelPassword"));
    m_pPassword = new QLineEdit(this);
    m_pPassword->setObjectName(QStringLiteral("editPassword"));
    m_pPassword->setEchoMode(QLineEdit::Password);
    m_pPassive = new QCheckBox(this);
    m_pPassive->setObjectName(QStringLiteral("checkPassive"));
    m_pStatus = new QLabel(this);
    m_pStatus->setObjectName(QStringLiteral("labelStatus"));
    m_pStatus->setWordWrap(true);
    m_pStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pStatus->setMinimumHeight(64);

    Content()->addWidget(m_pHeading);
    Content()->addSpacing(8);
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_pAddressLabel, m_pAddress, m_pPasswordLabel, m_pPassword, m_pPassive, m_pStatus})
        Content()->addWidget(control);
    Content()->addStretch(1);

    connect(m_pAddress->lineEdit(), &QLineEdit::textEdited, this, &CIPAddressProp::OnAddressEdited);
    connect(m_pAddress, &QComboBox::activated, this, &CIPAddressProp::OnAddressEdited);
    connect(m_pPassive, &QCheckBox::clicked, this, &CIPAddressProp::TogglePassiveMode);
}

void CIPAddressProp::OnInitDialog() {
    m_app.m_nLogLevel = 1;  // every wizard run starts with the detailed log
    LoadSideBitmap();
    m_pHeading->SetText(UiString(21, "Which system do you want to update?"));
    m_pAddressLabel->setText(UiString(22, "IP Address:"));
    m_pPasswordLabel->setText(UiString(23, "Admin Password:"));
    SetStatus(QString());
}

void CIPAddressProp::OnSetActive() {
    ShowEntryControls(true);
    RememberSheet();
    if (!Sheet()) return;
    FillAddressBox();
    SetStatus(QString());
    if (!m_app.m_strAddress.empty()) {
        m_pPassword->clear();
        Sheet()->SetWizardButtons(CQuillmarchSheet::PSWIZB_NEXT);
    }
    m_pPassive->setText(UiString(144, "Use Passive Mode"));
    m_pPassive->setChecked(m_app.m_bPassiveMode);
    Sheet()->ArrangeButtons();
    // The operator starts by naming the system.
    m_pAddress->setFocus(Qt::OtherFocusReason);
    m_pAddress->lineEdit()->selectAll();
}

void CIPAddressProp::ShowEntryControls(bool show) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             SidePanel(), m_pHeading, m_pAddressLabel, m_pPasswordLabel, m_pAddress, m_pPassword})
        control->setVisible(show);
}

std::string CIPAddressProp::HistoryValueName() const {
    const int row = m_app.FirstRowWithImage();
    if (row < 0 || row >= m_app.m_catalogue.GetSize()) return {};
    return m_app.m_catalogue.GetAt(row).HistoryValueName();
}

void CIPAddressProp::FillAddressBox() {
    std::string history;
    const std::string name = HistoryValueName();
    if (!name.empty()) CSettingsStore(m_settings).AccessSetting(false, name, history);
    const auto entries = CAddressHistory::ListEntries(m_app.m_strAddress, history);
    // Refilled on every activation; only the operator's own edits count as edit changes.
    const QSignalBlocker blocker(m_pAddress);
    m_pAddress->clear();
    if (entries.empty()) return;
    for (const auto& entry : entries) m_pAddress->addItem(QString::fromStdString(entry));
    m_pAddress->setCurrentIndex(0);
    UpdateNextFromAddress();
}

void CIPAddressProp::UpdateNextFromAddress() {
    EnableNext(!m_pAddress->currentText().isEmpty());
}

void CIPAddressProp::OnAddressEdited() {
    SetStatus(QString());  // an old error speaks of another address
    UpdateNextFromAddress();
}

void CIPAddressProp::ShowStatus(const QString& text) {
    SetStatus(text);
}

void CIPAddressProp::SetStatus(const QString& text) {
    m_pStatus->setText(text);
}

int CIPAddressProp::OnWizardNext() {
    if (!Sheet()) return kStay;
    EnableNext(false);
    const std::string address = m_pAddress->currentText().toStdString();
    const std::string password = m_pPassword->text().toStdString();
    SetStatus(UiString(6, "Trying to connect to System"));
    // A fresh link, made here: Cancel reaches the link from this thread while the worker
    // uses it, so the worker must never replace it.
    if (m_app.m_nLogLevel != 0 && !address.empty()) {
        m_app.CloseLog();
        m_app.StartLog(address::LocalName(address) + ".log");
    }
    m_app.CreateLink(false);
    auto result = std::make_shared<SConnectResult>();
    CQuillmarch6App& app = m_app;
    Sheet()->RunOnDevice(
        this, [&app, address, password, result] { Connect(app, address, password, *result); },
        [this, address, result] { OnConnected(address, *result); });
    return kStay;
}

void CIPAddressProp::Connect(CQuillmarch6App& app, const std::string& address,
                             const std::string& password, SConnectResult& result) {
    result.connected = CSystemConnector(app).ConnectToSystem(address, password);
    if (!result.connected) {
        if (app.m_pLink) result.lastError = app.m_pLink->GetLastErrorText();
        return;
    }
    // A system this program carries no image for stays connected but goes no further.
    result.refused = !app.ImagePresent(app.m_nSystemType);
    if (!result.refused) result.inCall = CSystemWebClient(app).IsSystemInCall();
}

QString CIPAddressProp::FailureText(const SConnectResult& result) const {
    // The reason as the command line gives it.
    QString reason = QString::fromStdString(result.lastError);
    if (!m_app.m_pLink) reason = tr("No FTP link could be made");
    if (reason.isEmpty()) reason = tr("The system did not say which model it is");
    return UiString(10, "Could not connect to system") + QStringLiteral(": ") + reason;
}

void CIPAddressProp::OnConnected(const std::string& address, const SConnectResult& result) {
    if (Sheet()->CallAborted()) {
        // Whatever the link reached, the operator chose to stop: nothing goes further.
        if (m_app.m_pLink) m_app.m_pLink->Disconnect();
        SetStatus(tr("Stopped: the connection was cancelled. Press Next to try again."));
        EnableNext(true);
        return;
    }
    if (!result.connected) {
        SetStatus(FailureText(result));
        EnableNext(true);
        return;
    }
    if (result.refused) {
        SetStatus(RefusedText());
        EnableNext(true);
        return;
    }
    if (result.inCall && !AskToBreakCall()) {
        SetStatus(QString());  // no longer trying
        EnableNext(true);
        return;
    }
    SaveAddressHistory(address);
    // Another system, or the same one anew: the choices start clean.
    CWalkChoices::ResetForNewWalk(m_app);
    ShowEntryControls(false);
    TruncateAfterThis();
    AddNextPage(CWalkRules::kIPAddress);
    Sheet()->ShowNextPage();
}

QString CIPAddressProp::RefusedText() const {
    const int type = m_app.m_nSystemType;
    QString model;
    if (type < 0 || type >= m_app.m_catalogue.GetSize())
        model = UiString(294, "unsupported system");
    else
        model = QString::fromStdString(m_app.m_catalogue.GetAt(type).DisplayName());
    // The table's parts carry their own line ends or none: joined here with a blank after
    // the colon and the advice on a line of its own.
    return UiString(9, "Quillmarch cannot update:").trimmed() + QLatin1Char(' ') + model.trimmed() +
           QLatin1Char('\n') + UiString(206, "download and try again").trimmed();
}

void CIPAddressProp::SaveAddressHistory(const std::string& address) {
    const std::string name = HistoryValueName();
    if (name.empty()) return;
    CSettingsStore store(m_settings);
    std::string history;
    store.AccessSetting(false, name, history);
    std::string updated = CAddressHistory::Remember(history, address);
    if (updated != history) store.AccessSetting(true, name, updated);
}

void CIPAddressProp::TogglePassiveMode() {
    CFTPBase* link = m_app.m_pLink.get();
    // The flag follows only a change the link accepted; the status shows what the link does.
    if (link && link->SetPassive(!m_app.m_bPassiveMode) == 0)
        m_app.m_bPassiveMode = !m_app.m_bPassiveMode;
    const bool passive = link && link->GetPassive();
    SetStatus(passive ? UiString(11, "Passive") : UiString(12, "Normal"));
    m_pPassive->setChecked(m_app.m_bPassiveMode);
}

void CIPAddressProp::ToggleAdvancedLog() {
    m_app.m_nLogLevel = m_app.m_nLogLevel != 0 ? 0 : 1;
    // Switching it on opens nothing: the next Next restarts the log under the address's name.
    if (m_app.m_nLogLevel == 0) m_app.CloseLog();
}

void CIPAddressProp::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("contextMenu"));
    QAction* passive = menu.addAction(UiString(144, "Use Passive FTP"));
    passive->setObjectName(QStringLiteral("actionPassive"));
    passive->setCheckable(true);
    passive->setChecked(m_app.m_pLink && m_app.m_pLink->GetPassive());
    QAction* log = menu.addAction(UiString(285, "Advanced Log"));
    log->setObjectName(QStringLiteral("actionAdvancedLog"));
    log->setCheckable(true);
    log->setChecked(m_app.m_nLogLevel != 0);
    connect(passive, &QAction::triggered, this, &CIPAddressProp::TogglePassiveMode);
    connect(log, &QAction::triggered, this, &CIPAddressProp::ToggleAdvancedLog);
    menu.exec(QCursor::pos());
    event->accept();
}

}  // namespace quillmarch
