// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/app/WelcomeDialog.h"

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

#include "core/job/RunContext.h"
#include "gui/app/AboutDialog.h"
#include "gui/app/GuiResources.h"
#include "gui/app/HelpLauncher.h"
#include "gui/progress/GuiRun.h"
#include "gui/widgets/BitmapPanel.h"
#include "gui/wizard/WizardRunner.h"

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

QString Ui(const RunContext& app, int id, const char* fallback) {
    return QString::fromStdString(app.LoadUiString(id, fallback));
}

}  // namespace

WelcomeDialog::WelcomeDialog(RunContext& app, QWidget* parent)
    : QDialog(parent),
      m_app(app),
      m_runWizard(&RunWizard),
      m_runUpdate(&RunUpdateWithProgressWindow) {
    EnsureGuiResources();
    setObjectName(QStringLiteral("welcomeDialog"));
    setWindowIcon(QIcon(ProgramIconPath()));
    BuildControls();
    m_picture->LoadBitmap(kPictureFirst);
    FillTexts();
    m_picture->LoadBitmap(m_app.ImagePresent(0) ? kPictureFirstModel : kPictureOtherModels);
}

std::string WelcomeDialog::ComposeModelsText(const std::vector<std::string>& names,
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

std::string WelcomeDialog::ShortenForDisplay(const std::string& text) {
    if (text.size() <= kMaxShownLength) return text;
    return text.substr(0, kShownLength) + "...";
}

std::vector<std::string> WelcomeDialog::ModelsWithImage() const {
    std::vector<std::string> names;
    const int rows = std::min(m_app.Catalogue().GetSize(), ModelCatalogue::kRowCount);
    for (int row = 0; row < rows; ++row) {
        if (m_app.ImagePresent(row)) names.push_back(m_app.Catalogue().GetAt(row).DisplayName());
    }
    return names;
}

void WelcomeDialog::BuildControls() {
    const auto label = [this](const char* name) {
        auto* created = new QLabel(this);
        created->setObjectName(QString::fromLatin1(name));
        return created;
    };
    m_picture = new BitmapPanel(this);
    m_picture->setObjectName(QStringLiteral("welcomePicture"));
    m_picture->setFixedSize(kPictureWidth, kPictureHeight);
    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("softwareGroup"));
    m_intro = label("introText");
    m_intro->setWordWrap(true);
    m_systemLabel = label("systemLabel");
    m_models = label("modelsText");
    m_models->setWordWrap(true);
    m_models->setMinimumWidth(kModelsWidth);
    m_models->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_versionLabel = label("versionLabel");
    // The version is one word to the operator: shown on one line, never broken at a hyphen.
    m_version = label("versionText");
    m_dateLabel = label("dateLabel");
    m_date = label("dateText");
    m_begin = new QPushButton(this);
    m_begin->setObjectName(QStringLiteral("beginButton"));
    m_begin->setDefault(true);
    connect(m_begin, &QPushButton::clicked, this, &WelcomeDialog::OnBegin);
    // About is a button too: a context menu is found by few and not by the keyboard.
    m_about = new QPushButton(tr("&About..."), this);
    m_about->setObjectName(QStringLiteral("aboutButton"));
    m_about->setAutoDefault(false);
    connect(m_about, &QPushButton::clicked, this, &WelcomeDialog::OnAbout);
    LayOutControls();

    // The About entry of the window's menu: here the window's context menu.
    m_aboutAction = new QAction(QStringLiteral("&About Quillmarch..."), this);
    m_aboutAction->setObjectName(QStringLiteral("aboutAction"));
    connect(m_aboutAction, &QAction::triggered, this, &WelcomeDialog::OnAbout);
    addAction(m_aboutAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

// The picture on the left; the facts in a group box on the right, Begin below them.
void WelcomeDialog::LayOutControls() {
    auto* facts = new QGridLayout(m_group);
    facts->addWidget(m_intro, 0, 0, 1, 2);
    facts->setRowMinimumHeight(1, 12);
    facts->addWidget(m_systemLabel, 2, 0, Qt::AlignTop);
    facts->addWidget(m_models, 2, 1);
    // The version is one unbroken line wider than the models column: on a row of its own under
    // its label it no longer widens the window (at scale factor 2 that passed 1600 pixels).
    facts->addWidget(m_versionLabel, 3, 0, 1, 2, Qt::AlignTop);
    facts->addWidget(m_version, 4, 0, 1, 2);
    facts->addWidget(m_dateLabel, 5, 0, Qt::AlignTop);
    facts->addWidget(m_date, 5, 1);
    facts->setColumnStretch(1, 1);
    facts->setRowStretch(6, 1);

    auto* side = new QVBoxLayout;
    side->addWidget(m_group, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_about);
    buttons->addStretch(1);
    buttons->addWidget(m_begin);
    side->addLayout(buttons);
    auto* main = new QHBoxLayout(this);
    main->addWidget(m_picture, 0, Qt::AlignTop);
    main->addLayout(side, 1);
    // The picture has one size, so the window has too: it takes what its texts need.
    main->setSizeConstraint(QLayout::SetFixedSize);
}

void WelcomeDialog::FillTexts() {
    std::string models = ComposeModelsText(ModelsWithImage(), m_app.LoadUiString(14, " or "));
    if (models.empty()) {
        m_begin->setEnabled(false);
        models = m_app.LoadUiString(0, "No Image.");
    }
    m_modelsText = QString::fromStdString(models);
    m_intro->setText(Ui(m_app, 1,
                        "This program will update the software of your video conferencing "
                        "system to the version shown below:"));
    m_group->setTitle(Ui(m_app, 15, "Software Update"));
    m_systemLabel->setText(Ui(m_app, 120, "System:"));
    m_models->setText(QString::fromStdString(ShortenForDisplay(models)));
    m_dateLabel->setText(Ui(m_app, 16, "Date:"));
    m_versionLabel->setText(Ui(m_app, 17, "Version:"));
    m_date->setText(
        QString::fromStdString(m_app.m_imageCatalogue.GetEntry("MainSoftware", "Date", nullptr)));
    m_version->setText(QString::fromStdString(
        m_app.m_imageCatalogue.GetEntry("MainSoftware", "Version", nullptr)));
    m_begin->setText(Ui(m_app, 2, "Begin Quillmarch"));
    const QString tip = Ui(m_app, 120, "System:") + m_modelsText;
    for (QLabel* text :
         {m_systemLabel, m_models, m_intro, m_versionLabel, m_version, m_dateLabel, m_date})
        text->setToolTip(tip);
    setWindowTitle(Ui(m_app, 84, "Tessary Quillmarch"));
}

void WelcomeDialog::OnBegin() {
    if (!m_runWizard(m_app, this)) return;
    hide();
    QPointer<WelcomeDialog> self(this);
    // Back only once the progress window is closed (its notice comes then, or at once when
    // there is none): shown earlier, this modal dialog would cover the run's outcome.
    m_runUpdate(m_app, this, [self](int ended) {
        if (self) self->OnProgressEnded(ended);
    });
}

void WelcomeDialog::OnAbout() {
    AboutDialog about(m_app, this);
    about.exec();
}

void WelcomeDialog::OnProgressEnded(int ended) {
    if (ended == 0) {
        show();
        return;
    }
    QTimer::singleShot(kEndDelayMs, this, [this] { done(QDialog::Accepted); });
}

void WelcomeDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        HelpLauncher(m_app).ShowHelpFor(kTemplateId);
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace quillmarch
