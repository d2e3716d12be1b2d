// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QPushButton;

namespace quillmarch {

class RunContext;
class BitmapPanel;

// The welcome dialog, the program's main window in wizard mode: the models this program can
// update, the software version and date it carries, and Begin, which runs the wizard and then
// the update with the progress window.
class WelcomeDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 102;
    // Longest models text shown in full; longer ones are cut to kShownLength plus "...".
    static constexpr std::size_t kMaxShownLength = 135;
    static constexpr std::size_t kShownLength = 132;

    // True when the wizard ended with Finish (on Cancel the runner closes the log itself).
    using WizardRunner = std::function<bool(RunContext&, QWidget* owner)>;
    // Starts the update with the progress window; false when it could not run. onEnded comes
    // when the operator closes the progress window: 0 with OK, else with Cancel or Quit.
    using UpdateRunner =
        std::function<bool(RunContext&, QWidget* parent, std::function<void(int ended)> onEnded)>;

    explicit WelcomeDialog(RunContext& app, QWidget* parent = nullptr);

    // Replace the wizard and the update run (tests, screenshots).
    void SetWizardRunner(WizardRunner runner) { m_runWizard = std::move(runner); }
    void SetUpdateRunner(UpdateRunner runner) { m_runUpdate = std::move(runner); }

    // The names joined by ", ", trimmed; with three or more, the last two are joined by orWord
    // instead. Empty without names.
    static std::string ComposeModelsText(const std::vector<std::string>& names,
                                         const std::string& orWord);
    // The text as the models line shows it.
    static std::string ShortenForDisplay(const std::string& text);

    // The full (uncut) models text: "No Image." when no model has an image.
    const QString& ModelsText() const { return m_modelsText; }

public slots:
    void OnBegin();
    void OnAbout();
    // The progress window was closed: 0 shows this dialog again, anything else ends the
    // interactive run 10 ms later, as if OK had been pressed.
    void OnProgressEnded(int ended);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void LayOutControls();
    void FillTexts();
    std::vector<std::string> ModelsWithImage() const;

    RunContext& m_app;
    WizardRunner m_runWizard;
    UpdateRunner m_runUpdate;
    QString m_modelsText;
    BitmapPanel* m_picture = nullptr;
    QGroupBox* m_group = nullptr;
    QLabel* m_intro = nullptr;
    QLabel* m_systemLabel = nullptr;
    QLabel* m_models = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_dateLabel = nullptr;
    QLabel* m_date = nullptr;
    QPushButton* m_begin = nullptr;
    QPushButton* m_about = nullptr;
    QAction* m_aboutAction = nullptr;
};

}  // namespace quillmarch
