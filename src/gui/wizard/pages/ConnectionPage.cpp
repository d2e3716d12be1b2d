// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/pages/ConnectionPage.h"

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

#include "core/device/SystemConnector.h"
#include "core/job/RunContext.h"
#include "core/link/SystemWebClient.h"
#include "core/prefs/AddressHistory.h"
#include "core/prefs/SettingsStore.h"
#include "core/util/AddressNames.h"
#include "gui/widgets/BitmapPanel.h"
#include "gui/widgets/PageLabel.h"
#include "gui/wizard/WalkChoices.h"
#include "gui/wizard/WizardSheet.h"

namespace quillmarch {

ConnectionPage::ConnectionPage(RunContext& app, ISettingsBackend& settings, QWidget* parent)
    : WizardPage(app, kTemplateId, kSideBitmapId, parent), m_settings(settings) {
    setObjectName(QStringLiteral("pageIPAddress"));
    SetHeader(tr("Connect to the system"),
              tr("Give the system's address and its administrator password; Next connects to it."));
    BuildControls();
}

void ConnectionPage::BuildControls() {
    m_heading = new PageLabel(this);
    m_heading->setObjectName(QStringLiteral("labelHeading"));
    m_heading->setWordWrap(true);
    m_addressLabel = new QLabel(this);
    m_addressLabel->setObjectName(QStringLiteral("labelAddress"));
    m_addressBox = new QComboBox(this);
    m_addressBox->setObjectName(QStringLiteral("comboAddress"));
    m_addressBox->setEditable(true);
    m_addressBox->setInsertPolicy(QComboBox::NoInsert);
    m_addressBox->setDuplicatesEnabled(true);
    m_passwordLabel = new QLabel(this);
    m_passwordLabel->setObjectName(QStringLiteral("labelPassword"));
    m_passwordEdit = new QLineEdit(this);
    m_passwordEdit->setObjectName(QStringLiteral("editPassword"));
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_passiveBox = new QCheckBox(this);
    m_passiveBox->setObjectName(QStringLiteral("checkPassive"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("labelStatus"));
    m_status->setWordWrap(true);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_status->setMinimumHeight(64);

    Content()->addWidget(m_heading);
    Content()->addSpacing(8);
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_addressLabel, m_addressBox, m_passwordLabel, m_passwordEdit, m_passiveBox, m_status})
        Content()->addWidget(control);
    Content()->addStretch(1);

    connect(m_addressBox->lineEdit(), &QLineEdit::textEdited, this,
            &ConnectionPage::OnAddressEdited);
    connect(m_addressBox, &QComboBox::activated, this, &ConnectionPage::OnAddressEdited);
    connect(m_passiveBox, &QCheckBox::clicked, this, &ConnectionPage::TogglePassiveMode);
}

void ConnectionPage::PageCreated() {
    m_app.Job().options.logLevel = 1;  // every wizard run starts with the detailed log
    LoadSideBitmap();
    m_heading->SetText(UiString(21, "Which system do you want to update?"));
    // Alt+I and Alt+P reach the fields (the labels are their names for a screen reader too).
    m_addressLabel->setText(Mnemonic(UiString(22, "IP Address:"), QLatin1Char('I')));
    m_passwordLabel->setText(Mnemonic(UiString(23, "Admin Password:"), QLatin1Char('P')));
    m_addressLabel->setBuddy(m_addressBox);
    // The box's own text field is what a screen reader lands on: it carries the name too.
    m_addressBox->lineEdit()->setAccessibleName(
        m_addressLabel->text().remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    m_passwordLabel->setBuddy(m_passwordEdit);
    SetStatus(QString());
}

void ConnectionPage::PageShown() {
    ShowEntryControls(true);
    if (!Sheet()) return;
    FillAddressBox();
    SetStatus(QString());
    if (!m_app.Job().target.address.empty()) {
        m_passwordEdit->clear();
        EnableNext(true);
    }
    m_passiveBox->setText(Mnemonic(UiString(144, "Use Passive Mode"), QLatin1Char('M')));
    m_passiveBox->setChecked(m_app.Job().target.passiveMode);
    // The operator starts by naming the system.
    m_addressBox->setFocus(Qt::OtherFocusReason);
    m_addressBox->lineEdit()->selectAll();
}

void ConnectionPage::ShowEntryControls(bool show) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             SidePanel(), m_heading, m_addressLabel, m_passwordLabel, m_addressBox, m_passwordEdit})
        control->setVisible(show);
}

std::string ConnectionPage::HistoryValueName() const {
    const int row = m_app.FirstRowWithImage();
    if (row < 0 || row >= m_app.Catalogue().GetSize()) return {};
    return m_app.Catalogue().GetAt(row).HistoryValueName();
}

void ConnectionPage::FillAddressBox() {
    std::string history;
    const std::string name = HistoryValueName();
    if (!name.empty()) SettingsStore(m_settings).AccessSetting(false, name, history);
    const auto entries = AddressHistory::ListEntries(m_app.Job().target.address, history);
    // Refilled on every activation; only the operator's own edits count as edit changes.
    const QSignalBlocker blocker(m_addressBox);
    m_addressBox->clear();
    if (entries.empty()) return;
    for (const auto& entry : entries) m_addressBox->addItem(QString::fromStdString(entry));
    m_addressBox->setCurrentIndex(0);
    UpdateNextFromAddress();
}

void ConnectionPage::UpdateNextFromAddress() {
    EnableNext(!m_addressBox->currentText().isEmpty());
}

void ConnectionPage::OnAddressEdited() {
    SetStatus(QString());  // an old error speaks of another address
    UpdateNextFromAddress();
}

void ConnectionPage::ShowStatus(const QString& text) {
    SetStatus(text);
}

void ConnectionPage::SetStatus(const QString& text) {
    m_status->setText(text);
}

int ConnectionPage::ValidateNext() {
    if (!Sheet()) return kStay;
    EnableNext(false);
    const std::string address = m_addressBox->currentText().toStdString();
    const std::string password = m_passwordEdit->text().toStdString();
    SetStatus(UiString(6, "Trying to connect to System"));
    // A fresh link, made here: Cancel reaches the link from this thread while the worker
    // uses it, so the worker must never replace it.
    if (m_app.Job().options.logLevel != 0 && !address.empty()) {
        m_app.CloseLog();
        m_app.StartLog(address::LocalName(address) + ".log");
    }
    m_app.CreateLink(false);
    auto result = std::make_shared<SConnectResult>();
    RunContext& app = m_app;
    Sheet()->RunOnDevice(
        this, [&app, address, password, result] { Connect(app, address, password, *result); },
        [this, address, result] { OnConnected(address, *result); });
    return kStay;
}

void ConnectionPage::Connect(RunContext& app, const std::string& address,
                             const std::string& password, SConnectResult& result) {
    result.connected = SystemConnector(app).ConnectToSystem(address, password);
    if (!result.connected) {
        if (app.m_link) result.lastError = app.m_link->GetLastErrorText();
        return;
    }
    // A system this program carries no image for stays connected but goes no further.
    result.refused = !app.ImagePresent(app.Job().target.systemType);
    if (!result.refused) result.inCall = SystemWebClient(app).IsSystemInCall();
}

QString ConnectionPage::FailureText(const SConnectResult& result) const {
    // The reason as the command line gives it.
    QString reason = QString::fromStdString(result.lastError);
    if (!m_app.m_link) reason = tr("No FTP link could be made");
    if (reason.isEmpty()) reason = tr("The system did not say which model it is");
    return UiString(10, "Could not connect to system") + QStringLiteral(": ") + reason;
}

void ConnectionPage::OnConnected(const std::string& address, const SConnectResult& result) {
    if (Sheet()->CallAborted()) {
        // Whatever the link reached, the operator chose to stop: nothing goes further.
        if (m_app.m_link) m_app.m_link->Disconnect();
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
    WalkChoices::ResetForNewWalk(m_app.Job());
    ShowEntryControls(false);
    Sheet()->ShowNextPage();
}

QString ConnectionPage::RefusedText() const {
    const int type = m_app.Job().target.systemType;
    QString model;
    if (type < 0 || type >= m_app.Catalogue().GetSize())
        model = UiString(294, "unsupported system");
    else
        model = QString::fromStdString(m_app.Catalogue().GetAt(type).DisplayName());
    // The table's parts carry their own line ends or none: joined here with a blank after
    // the colon and the advice on a line of its own.
    return UiString(9, "Quillmarch cannot update:").trimmed() + QLatin1Char(' ') + model.trimmed() +
           QLatin1Char('\n') + UiString(206, "download and try again").trimmed();
}

void ConnectionPage::SaveAddressHistory(const std::string& address) {
    const std::string name = HistoryValueName();
    if (name.empty()) return;
    SettingsStore store(m_settings);
    std::string history;
    store.AccessSetting(false, name, history);
    std::string updated = AddressHistory::Remember(history, address);
    if (updated != history) store.AccessSetting(true, name, updated);
}

void ConnectionPage::TogglePassiveMode() {
    DeviceLink* link = m_app.m_link.get();
    // The flag follows only a change the link accepted; the status shows what the link does.
    if (link && link->SetPassive(!m_app.Job().target.passiveMode) == 0)
        m_app.Job().target.passiveMode = !m_app.Job().target.passiveMode;
    const bool passive = link && link->GetPassive();
    SetStatus(passive ? UiString(11, "Passive") : UiString(12, "Normal"));
    m_passiveBox->setChecked(m_app.Job().target.passiveMode);
}

void ConnectionPage::ToggleAdvancedLog() {
    m_app.Job().options.logLevel = m_app.Job().options.logLevel != 0 ? 0 : 1;
    // Switching it on opens nothing: the next Next restarts the log under the address's name.
    if (m_app.Job().options.logLevel == 0) m_app.CloseLog();
}

void ConnectionPage::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("contextMenu"));
    QAction* passive = menu.addAction(UiString(144, "Use Passive FTP"));
    passive->setObjectName(QStringLiteral("actionPassive"));
    passive->setCheckable(true);
    passive->setChecked(m_app.m_link && m_app.m_link->GetPassive());
    QAction* log = menu.addAction(UiString(285, "Advanced Log"));
    log->setObjectName(QStringLiteral("actionAdvancedLog"));
    log->setCheckable(true);
    log->setChecked(m_app.Job().options.logLevel != 0);
    connect(passive, &QAction::triggered, this, &ConnectionPage::TogglePassiveMode);
    connect(log, &QAction::triggered, this, &ConnectionPage::ToggleAdvancedLog);
    menu.exec(QCursor::pos());
    event->accept();
}

}  // namespace quillmarch
