// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLabel;
class QPushButton;

namespace quillmarch {

class RunContext;

// The About box: the program's version and build date and a notice line.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 100;

    // productVersion: the version the program was built as (up to four numbers, "6.0.0");
    // nullopt when the program carries none, text without numbers when it is unreadable.
    explicit AboutDialog(RunContext& app, QWidget* parent = nullptr,
                         const std::optional<std::string>& productVersion = ProgramVersion(),
                         const std::string& buildDate = ProgramBuildDate());

    // The version this program was built as.
    static std::optional<std::string> ProgramVersion();
    // The build date in the compiler's form ("Sep  5 2011").
    static std::string ProgramBuildDate();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void SetVersionLine(const std::optional<std::string>& productVersion,
                        const std::string& buildDate);

    RunContext& m_app;
    QLabel* m_versionLine = nullptr;
    QLabel* m_noticeLine = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace quillmarch
