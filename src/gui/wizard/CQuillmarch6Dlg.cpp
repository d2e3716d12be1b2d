#include "gui/wizard/CQuillmarch6Dlg.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "core/app/CQuillmarch6App.h"
#include "gui/app/CHelpLauncher.h"
#include "gui/app/GuiResources.h"
#include "gui/progress/CGuiRun.h"
#include "gui/widgets/CStaticBmpEx.h"
#include "gui/wizard/CAboutDlg.h"
#include "gui/wizard/CWizardRunner.h"

namespace quillmarch {

namespace {

constexpr int kPictureFirst = 131;
constexpr int kPictureFirstModel = 183;
constexpr int kPictureOtherModels = 163;
constexpr int kPictureWidth = 395;
constexpr int kPictureHeight = 369;
constexpr int kModelsWidth = 261;  // room for about three lines of model names
constexpr int kEndDelayMs = 10;

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

QString Ui(const CQuillmarch6App& app, int id, const char* fallback) {
    return QString::fromStdString(app.LoadUiString(id, fallback));
}

}  // namespace

CQuillmarch6Dlg::CQuillmarch6Dlg(CQuillmarch6App& app, QWidget* parent)
    : QDialog(parent),
      m_app(app),
      m_runWizard(&RunWizard),
      m_runUpdate(&RunUpdateWithProgressWindow) {
    EnsureGuiResources();
    setObjectName(QStringLiteral("welcomeDialog"));
    setWindowIcon(QIcon(ProgramIconPath()));
    BuildControls();
    m_pPicture->LoadBitmap(kPictureFirst);
    FillTexts();
    m_pPicture->LoadBitmap(m_app.ImagePresent(0) ? kPictureFirstModel : kPictureOtherModels);
}

std::string CQuillmarch6Dlg::ComposeModelsText(const std::vector<std::string>& names,
                                               const std::string& orWord) {
    std::string text;
    for (const auto& name : names) {
        if (name.empty()) continue;
        if (!text.empty()) text += ", ";
        text += name;
    }
    text = Trim(text);
    if (std::count(text.begin(), text.end(), ',') < 2) return text;
    const auto last = text.rfind(',');
    return Trim(text.substr(0, last)) + orWord + Trim(text.substr(last + 1));
}

std::string CQuillmarch6Dlg::ShortenForDisplay(const std::string& text) {
    if (text.size() <= kMaxShownLength) return text;
    return text.substr(0, kShownLength) + "...";
}

std::vector<std::string> CQuillmarch6Dlg::ModelsWithImage() const {
    std::vector<std::string> names;
    const int rows = std::min(m_app.m_catalogue.GetSize(), CSystemInformationArray::kRowCount);
    for (int row = 0; row < rows; ++row) {
        if (m_app.ImagePresent(row)) names.push_back(m_app.m_catalogue.GetAt(row).DisplayName());
    }
    return names;
}

void CQuillmarch6Dlg::BuildControls() {
    const auto label = [this](const char* name) {
        auto* created = new QLabel(this);
        created->setObjectName(QString::fromLatin1(name));
        return created;
    };
    m_pPicture = new CStaticBmpEx(this);
    m_pPicture->setObjectName(QStringLiteral("welcomePicture"));
    m_pPicture->setFixedSize(kPictureWidth, kPictureHeight);
    m_pGroup = new QGroupBox(this);
    m_pGroup->setObjectName(QStringLiteral("softwareGroup"));
    m_pIntro = label("introText");
    m_pIntro->setWordWrap(true);
    m_pSystemLabel = label("systemLabel");
    m_pModels = label("modelsText");
    m_pModels->setWordWrap(true);
    m_pModels->setMinimumWidth(kModelsWidth);
    m_pModels->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pVersionLabel = label("versionLabel");
    // The version is one word to the operator: shown on one line, never broken at a hyphen.
    m_pVersion = label("versionText");
    m_pDateLabel = label("dateLabel");
    m_pDate = label("dateText");
    m_pBegin = new QPushButton(this);
    m_pBegin->setObjectName(QStringLiteral("beginButton"));
    m_pBegin->setDefault(true);
    connect(m_pBegin, &QPushButton::clicked, this, &CQuillmarch6Dlg::OnBegin);
    LayOutControls();

    // The About entry of the window's menu: here the window's context menu.
    m_pAboutAction = new QAction(QStringLiteral("&About Quillmarch..."), this);
    m_pAboutAction->setObjectName(QStringLiteral("aboutAction"));
    connect(m_pAboutAction, &QAction::triggered, this, &CQuillmarch6Dlg::OnAbout);
    addAction(m_pAboutAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

// The picture on the left; the facts in a group box on the right, Begin below them.
void CQuillmarch6Dlg::LayOutControls() {
    auto* facts = new QGridLayout(m_pGroup);
    facts->addWidget(m_pIntro, 0, 0, 1, 2);
    facts->setRowMinimumHeight(1, 12);
    facts->addWidget(m_pSystemLabel, 2, 0, Qt::AlignTop);
    facts->addWidget(m_pModels, 2, 1);
    facts->addWidget(m_pVersionLabel, 3, 0, Qt::AlignTop);
    facts->addWidget(m_pVersion, 3, 1);
    facts->addWidget(m_pDateLabel, 4, 0, Qt::AlignTop);
    facts->addWidget(m_pDate, 4, 1);
    facts->setColumnStretch(1, 1);
    facts->setRowStretch(5, 1);

    auto* side = new QVBoxLayout;
    side->addWidget(m_pGroup, 1);
    side->addWidget(m_pBegin, 0, Qt::AlignRight);
    auto* main = new QHBoxLayout(this);
    main->addWidget(m_pPicture, 0, Qt::AlignTop);
    main->addLayout(side, 1);
    // The picture has one size, so the window has too: it takes what its texts need.
    main->setSizeConstraint(QLayout::SetFixedSize);
}

void CQuillmarch6Dlg::FillTexts() {
    std::string models = ComposeModelsText(ModelsWithImage(), m_app.LoadUiString(14, " or "));
    if (models.empty()) {
        m_pBegin->setEnabled(false);
        models = m_app.LoadUiString(0, "No Image.");
    }
    m_strModelsText = QString::fromStdString(models);
    m_pIntro->setText(Ui(m_app, 1,
                         "This program will update the software of your video conferencing "
                         "system to the version shown below:"));
    m_pGroup->setTitle(Ui(m_app, 15, "Software Update"));
    m_pSystemLabel->setText(Ui(m_app, 120, "System:"));
    m_pModels->setText(QString::fromStdString(ShortenForDisplay(models)));
    m_pDateLabel->setText(Ui(m_app, 16, "Date:"));
    m_pVersionLabel->setText(Ui(m_app, 17, "Version:"));
    m_pDate->setText(
        QString::fromStdString(m_app.m_imageCatalogue.GetEntry("MainSoftware", "Date", nullptr)));
    m_pVersion->setText(QString::fromStdString(
        m_app.m_imageCatalogue.GetEntry("MainSoftware", "Version", nullptr)));
    m_pBegin->setText(Ui(m_app, 2, "Begin Quillmarch"));
    const QString tip = Ui(m_app, 120, "System:") + m_strModelsText;
    for (QLabel* text :
         {m_pSystemLabel, m_pModels, m_pIntro, m_pVersionLabel, m_pVersion, m_pDateLabel, m_pDate})
        text->setToolTip(tip);
    setWindowTitle(Ui(m_app, 84, "Tessary Quillmarch"));
}

void CQuillmarch6Dlg::OnBegin() {
    if (!m_runWizard(m_app, this)) return;
    hide();
    QPointer<CQuillmarch6Dlg> self(this);
    const bool started = m_runUpdate(m_app, this, [self](int ended) {
        if (self) self->OnProgressEnded(ended);
    });
    if (!started) show();
}

void CQuillmarch6Dlg::OnAbout() {
    CAboutDlg about(m_app, this);
    about.exec();
}

void CQuillmarch6Dlg::OnProgressEnded(int ended) {
    if (ended == 0) {
        show();
        return;
    }
    QTimer::singleShot(kEndDelayMs, this, [this] { done(QDialog::Accepted); });
}

void CQuillmarch6Dlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        CHelpLauncher(m_app).ShowHelpFor(kTemplateId);
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace quillmarch
