#include "gui/wizard/CSystemInfoProp.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>
#include <utility>

#include "core/app/CQuillmarch6App.h"
#include "core/app/CWalkRules.h"
#include "core/app/TextUtil.h"
#include "gui/widgets/CLabel.h"
#include "gui/wizard/CIPAddressProp.h"
#include "gui/wizard/CQuillmarchSheet.h"

namespace quillmarch {

namespace {

struct SFactRow {
    const char* label;
    const char* file;
};

const SFactRow kFactRows[CSystemInfoProp::kRowCount] = {
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
const char* const kSettingKeys[CSystemInfoProp::kSettingCount] = {
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

CSystemInfoProp::CSystemInfoProp(CQuillmarch6App& app, QWidget* parent)
    : CWizardPage(app, kTemplateId, 0, parent) {
    setObjectName(QStringLiteral("pageSystemInfo"));
    m_pHeading = new CLabel(this);
    m_pHeading->setObjectName(QStringLiteral("labelHeading"));
    m_pList = new QTreeWidget(this);
    m_pList->setObjectName(QStringLiteral("listFacts"));
    m_pList->setRootIsDecorated(false);
    m_pList->setFixedSize(490, 200);
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pClickNext = new QLabel(this);
    m_pClickNext->setObjectName(QStringLiteral("labelClickNext"));
    Content()->addWidget(m_pHeading);
    Content()->addWidget(m_pList);
    Content()->addWidget(m_pClickNext);
    Content()->addStretch(1);
}

void CSystemInfoProp::OnInitDialog() {
    m_pHeading->SetText(UiString(123, "You have chosen this system to update."));
    m_pClickNext->setText(UiString(124, "Click Next to continue."));
    m_pList->setColumnCount(3);
    m_pList->setHeaderLabels({QString(), QStringLiteral("Current"), QStringLiteral("Update")});
    // The version to install is shown whole: its column takes its width, the system's
    // current values the rest, and nothing scrolls sideways.
    m_pList->header()->setStretchLastSection(false);
    m_pList->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_pList->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_pList->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_astrFiles.clear();
    for (const auto& row : kFactRows) m_astrFiles.emplace_back(row.file);
    ReadSettings();
}

void CSystemInfoProp::OnSetActive() {
    RememberSheet();
    if (!Sheet()) return;
    Sheet()->Button(CQuillmarchSheet::ID_WIZBACK)->show();
    FillList();
    EnableNext(true);
    Sheet()->SetWizardButtons(CQuillmarchSheet::PSWIZB_BACK | CQuillmarchSheet::PSWIZB_NEXT);
    TruncateAfterThis();
}

void CSystemInfoProp::ReadSettings() {
    if (!Sheet()) RememberSheet();
    if (!Sheet()) return;
    auto texts = std::make_shared<std::array<std::string, kSettingCount>>();
    CQuillmarch6App& app = m_app;
    Sheet()->RunOnDevice(
        this,
        [&app, texts] {
            for (int i = 0; i < kSettingCount; ++i) {
                std::string text;  // stays empty when the file cannot be fetched
                if (app.m_pLink) app.m_pLink->DownloadDatFile(kSettingKeys[i], text);
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

void CSystemInfoProp::ApplySettings(CQuillmarch6App& app,
                                    const std::array<std::string, kSettingCount>& texts) {
    const auto is = [&texts](int index, const char* word) {
        return text::EqualsNoCase(texts[static_cast<size_t>(index)], word);
    };
    app.m_strDefaultGateway = texts[0];
    app.m_strSubnetMask = texts[1];
    app.m_strIpAddress = texts[2];
    app.m_bDhcpWanted = app.m_bDhcpCurrent = !is(3, "Off");
    app.m_bAspect16x9 = is(4, "16:9");
    app.m_bPalWanted = app.m_bPalCurrent = !is(5, "NTSC");
    app.m_bResolution1024 = is(6, "75HZ1024x768") || is(6, "60HZ1024x768");
    app.m_nVideoOutput = is(7, "VGA") ? 2 : is(7, "Composite") ? 0 : 1;
    app.m_bSecureModeWanted = app.m_bSecureModeCurrent = is(8, "True");
    app.m_bUseRoomForRemote = !is(9, "False");
    app.m_strRoomPassword = texts[10];
}

void CSystemInfoProp::FillList() {
    auto facts = std::make_shared<SFacts>();
    facts->texts.resize(m_astrFiles.size());
    const std::vector<std::string> files = m_astrFiles;
    CQuillmarch6App& app = m_app;
    Sheet()->RunOnDevice(
        this,
        [&app, files, facts] {
            for (size_t i = 0; i < files.size() && app.m_pLink; ++i) {
                if (files[i].empty()) continue;
                std::string text;  // empty when the fetch fails; the row still shows
                if (app.m_pLink->DownloadToString(files[i], text)) facts->bAnyRead = true;
                facts->texts[i] = CleanFact(text);
            }
            if (app.m_pLink) facts->strError = app.m_pLink->GetLastErrorText();
        },
        [this, facts] { OnFactsRead(*facts); });
}

void CSystemInfoProp::OnFactsRead(const SFacts& facts) {
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

void CSystemInfoProp::GoBackSaying(const QString& message) {
    m_strGoBackMessage = message;
    Disconnect(true);
}

void CSystemInfoProp::ShowFacts(const std::vector<std::string>& facts) {
    m_pList->clear();
    const std::string update = m_app.m_imageCatalogue.GetEntry("MainSoftware", "Version", nullptr);
    for (size_t i = 0; i < m_astrFiles.size() && i < facts.size(); ++i) {
        if (m_astrFiles[i].empty()) continue;
        auto* row = new QTreeWidgetItem({QString::fromLatin1(kFactRows[i].label)});
        m_pList->insertTopLevelItem(std::min(static_cast<int>(i), m_pList->topLevelItemCount()),
                                    row);
        row->setText(1, QString::fromStdString(facts[i]));
        if (static_cast<int>(i) == kSystemNameRow) m_app.m_strSystemName = facts[i];
        if (static_cast<int>(i) == kSoftwareVersionRow && !update.empty())
            row->setText(2, QString::fromStdString(update));
    }
    const int type = m_app.m_nSystemType;
    const QString model = type >= 0 && type < m_app.m_catalogue.GetSize()
                              ? QString::fromStdString(m_app.m_catalogue.GetAt(type).DisplayName())
                              : QString();
    m_pList->insertTopLevelItem(std::min(1, m_pList->topLevelItemCount()),
                                new QTreeWidgetItem({QStringLiteral("Model"), model}));
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
}

int CSystemInfoProp::OnWizardNext() {
    AddNextPage(CWalkRules::kSystemInfo);
    return kAdvance;
}

int CSystemInfoProp::OnWizardBack() {
    Disconnect(true);
    return kStay;  // goes back once the link is closed
}

void CSystemInfoProp::OnCancel() {
    Disconnect(false);
}

void CSystemInfoProp::Disconnect(bool thenGoBack) {
    if (!Sheet()) return;
    CQuillmarch6App& app = m_app;
    Sheet()->RunOnDevice(
        this,
        [&app] {
            if (app.m_pLink) app.m_pLink->Disconnect();
        },
        [this, thenGoBack] {
            if (!thenGoBack) return;
            m_astrFiles.clear();
            Sheet()->ShowPreviousPage();
            const QString message = std::exchange(m_strGoBackMessage, QString());
            auto* connection = qobject_cast<CIPAddressProp*>(Sheet()->ActivePage());
            if (connection && !message.isEmpty()) connection->ShowStatus(message);
        });
}

std::string CSystemInfoProp::CleanFact(const std::string& text) {
    std::string fact = text::Trim(text);
    for (char& c : fact) {
        if (!IsFactCharacter(c)) c = ' ';
    }
    return fact;
}

}  // namespace quillmarch
