// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/pages/SystemInfoPage.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>
#include <utility>

#include "core/job/RunContext.h"
#include "core/run/SystemFactsReader.h"
#include "core/util/TextUtil.h"
#include "gui/widgets/PageLabel.h"
#include "gui/wizard/WizardSheet.h"
#include "gui/wizard/pages/ConnectionPage.h"

namespace quillmarch {

namespace {

struct FactRow {
    const char* label;
    const char* file;
};

const FactRow kFactRows[SystemInfoPage::kRowCount] = {
    {"System Name", "sysname.dat"},
    {"IP Address", "ipaddress.dat"},
    {"WAN Address", "natoutside.dat"},
    {"Interface", "interface.dat"},
    {"Serial Number", "serialnumber.dat"},
    {"Number 1", "directorynum0_0_0.dat"},
    {"Number 2", "directorynum0_0_1.dat"},
    {"ISDN Version", ""},  // not shown
    {"SW Version", "systemsoftwareversion.dat"},
};
constexpr int kSystemNameRow = 0;
constexpr int kSoftwareVersionRow = 8;

// Read in this order when the page's window is created.
const char* const kSettingKeys[SystemInfoPage::kSettingCount] = {
    "defaultgateway",  "subnetmask",      "ipaddress",     "dhcp_flg",
    "monitor1display", "cameratype",      "vgaresolution", "monitoroutputsignal",
    "securemode",      "useroompassword", "roomsw"};

bool IsFactCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' ||
           c == '_' || c == ':';
}

std::string TrimRight(const std::string& text) {
    const auto last = text.find_last_not_of(text::kBlanks);
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

}  // namespace

SystemInfoPage::SystemInfoPage(RunContext& app, QWidget* parent)
    : WizardPage(app, kTemplateId, 0, parent) {
    setObjectName(QStringLiteral("pageSystemInfo"));
    SetHeader(tr("The system found"), tr("Check that this is the system you mean to update."));
    m_heading = new PageLabel(this);
    m_heading->setObjectName(QStringLiteral("labelHeading"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("listFacts"));
    m_list->setAccessibleName(tr("System information"));
    m_list->setRootIsDecorated(false);
    m_list->setFixedSize(490, 200);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_clickNext = new QLabel(this);
    m_clickNext->setObjectName(QStringLiteral("labelClickNext"));
    Content()->addWidget(m_heading);
    Content()->addWidget(m_list);
    Content()->addWidget(m_clickNext);
    Content()->addStretch(1);
}

void SystemInfoPage::PageCreated() {
    m_heading->SetText(UiString(123, "You have chosen this system to update."));
    m_clickNext->setText(UiString(124, "Click Next to continue."));
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QString(), QStringLiteral("Current"), QStringLiteral("Update")});
    // The version to install is shown whole: its column takes its width, the system's
    // current values the rest, and nothing scrolls sideways.
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_files.clear();
    for (const auto& row : kFactRows) m_files.emplace_back(row.file);
    ReadSettings();
}

void SystemInfoPage::PageShown() {
    if (!Sheet()) return;
    FillList();
    EnableNext(true);
}

void SystemInfoPage::ReadSettings() {
    if (!Sheet()) return;
    auto texts = std::make_shared<std::array<std::string, kSettingCount>>();
    RunContext& app = m_app;
    Sheet()->RunOnDevice(
        this,
        [&app, texts] {
            for (int i = 0; i < kSettingCount; ++i) {
                std::string text;  // stays empty when the file cannot be fetched
                if (app.m_link && !app.m_link->DownloadDatFile(kSettingKeys[i], text)) text.clear();
                (*texts)[static_cast<size_t>(i)] = TrimRight(text);
            }
        },
        [this, &app, texts] {
            if (Sheet()->CallAborted()) return;  // FillList's step takes the operator back
            ApplySettings(app, *texts);
            constexpr size_t kSecureMode = 8;
            if (Sheet()) Sheet()->SetSecureModeReported(!(*texts)[kSecureMode].empty());
        });
}

void SystemInfoPage::ApplySettings(RunContext& app,
                                   const std::array<std::string, kSettingCount>& texts) {
    const auto is = [&texts](int index, const char* word) {
        return text::EqualsNoCase(texts[static_cast<size_t>(index)], word);
    };
    app.Job().lan.defaultGateway = texts[0];
    app.Job().lan.subnetMask = texts[1];
    app.Job().lan.ipAddress = texts[2];
    app.Job().lan.dhcpWanted = app.Job().lan.dhcpCurrent = !is(3, "Off");
    app.Job().display.aspect16x9 = is(4, "16:9");
    app.Job().display.palWanted = app.Job().display.palCurrent = !is(5, "NTSC");
    app.Job().display.resolution1024 = is(6, "75HZ1024x768") || is(6, "60HZ1024x768");
    app.Job().display.videoOutput = is(7, "VGA") ? 2 : is(7, "Composite") ? 0 : 1;
    app.Job().security.secureModeWanted = app.Job().security.secureModeCurrent = is(8, "True");
    app.Job().security.useRoomForRemote = !is(9, "False");
    app.Job().security.roomPassword = texts[10];
}

void SystemInfoPage::FillList() {
    auto facts = std::make_shared<SFacts>();
    facts->texts.resize(m_files.size());
    const std::vector<std::string> files = m_files;
    RunContext& app = m_app;
    Sheet()->RunOnDevice(
        this,
        [&app, files, facts] {
            for (size_t i = 0; i < files.size() && app.m_link; ++i) {
                if (files[i].empty()) continue;
                std::string text;  // empty when the fetch fails; the row still shows
                if (app.m_link->DownloadToString(files[i], text)) facts->bAnyRead = true;
                facts->texts[i] = CleanFact(text);
            }
            if (app.m_link) facts->strError = app.m_link->GetLastErrorText();
        },
        [this, facts] { OnFactsRead(*facts); });
}

void SystemInfoPage::OnFactsRead(const SFacts& facts) {
    // A page of empty rows tells the operator nothing: back to the connection page, saying why.
    if (Sheet()->CallAborted()) {
        GoBackSaying(tr("Stopped: reading the system information was cancelled."));
        return;
    }
    if (!facts.bAnyRead) {
        QString reason = QString::fromStdString(facts.strError);
        if (reason.isEmpty()) reason = tr("the system sent none of its files");
        GoBackSaying(tr("The system information could not be read: ") + reason);
        return;
    }
    ShowFacts(facts.texts);
}

void SystemInfoPage::GoBackSaying(const QString& message) {
    m_goBackMessage = message;
    if (Sheet()) Sheet()->ShowPreviousPage();
}

void SystemInfoPage::ShowFacts(const std::vector<std::string>& facts) {
    m_list->clear();
    // The version the pack's manifest names for this model; a pack without one cannot say.
    std::string update = SystemFactsReader::InstalledVersion(m_app);
    if (update.empty() && m_app.m_pack.GetState() == ImagePack::State::kNoManifest)
        update = "not known (the image pack has no manifest)";
    for (size_t i = 0; i < m_files.size() && i < facts.size(); ++i) {
        if (m_files[i].empty()) continue;
        auto* row = new QTreeWidgetItem({QString::fromLatin1(kFactRows[i].label)});
        m_list->insertTopLevelItem(std::min(static_cast<int>(i), m_list->topLevelItemCount()), row);
        row->setText(1, QString::fromStdString(facts[i]));
        if (static_cast<int>(i) == kSystemNameRow) m_app.Job().target.systemName = facts[i];
        if (static_cast<int>(i) == kSoftwareVersionRow && !update.empty())
            row->setText(2, QString::fromStdString(update));
    }
    const int type = m_app.Job().target.systemType;
    const QString model = type >= 0 && type < m_app.Catalogue().GetSize()
                              ? QString::fromStdString(m_app.Catalogue().GetAt(type).DisplayName())
                              : QString();
    m_list->insertTopLevelItem(std::min(1, m_list->topLevelItemCount()),
                               new QTreeWidgetItem({QStringLiteral("Model"), model}));
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
}

void SystemInfoPage::BackClicked() {
    // The connection page is shown at once; it takes no input until the link is closed.
    m_files.clear();
    Disconnect(std::exchange(m_goBackMessage, QString()));
}

void SystemInfoPage::CancelClicked() {
    Disconnect(QString());
}

void SystemInfoPage::Disconnect(const QString& message) {
    if (!Sheet()) return;
    RunContext& app = m_app;
    Sheet()->RunOnDevice(
        this,
        [&app] {
            if (app.m_link) app.m_link->Disconnect();
        },
        [this, message] {
            auto* connection = qobject_cast<ConnectionPage*>(Sheet()->ActivePage());
            if (connection && !message.isEmpty()) connection->ShowStatus(message);
        });
}

std::string SystemInfoPage::CleanFact(const std::string& text) {
    std::string fact = text::Trim(text);
    for (char& c : fact) {
        if (!IsFactCharacter(c)) c = ' ';
    }
    return fact;
}

}  // namespace quillmarch
