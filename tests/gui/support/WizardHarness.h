// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Shared pieces of the wizard's GUI tests: an application as the wizard sees it, an in-memory
// settings store, and helpers that drive the sheet and answer its message boxes.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QtTest/QtTest>
#include <map>
#include <memory>
#include <string>

#include "core/job/RunContext.h"
#include "core/prefs/ISettingsBackend.h"
#include "core/util/RealClock.h"
#include "gui/wizard/WizardPage.h"
#include "gui/wizard/WizardRunner.h"
#include "gui/wizard/WizardSheet.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageBox.h"
#include "support/ScopedTempDir.h"

namespace quillmarch::test {

class CMemorySettings : public ISettingsBackend {
public:
    bool Read(const std::string& name, std::string& value) override {
        const auto it = values.find(name);
        if (it == values.end()) return false;
        value = it->second;
        return true;
    }
    void Write(const std::string& name, const std::string& value) override {
        values[name] = value;
        ++writes;
    }
    std::map<std::string, std::string> values;
    int writes = 0;
};

// An application with the catalogue, the sample payloads and a plain link, working in a
// scratch folder that is also the current directory (the wizard's log files land there).
// Waits of the engine are recorded, not slept, unless a real clock scale is given (a whole
// update run needs the simulator's restarts to happen in real time).
struct SWizardApp {
    explicit SWizardApp(double realClockScale = 0)
        : clock(realClockScale > 0 ? std::unique_ptr<IClock>(new RealClock(realClockScale))
                                   : std::unique_ptr<IClock>(new FakeClock)) {
        app.m_helpFilePath = dir.Str("Quillmarch.hlp");
        app.m_payloads.SetFolder(QUILLMARCH_PAYLOAD_DIR);
        app.BuildCatalogue();
        app.OpenImagePack();  // the sample pack, as start-up opens it
        app.CreateLink(false);
    }
    ScopedTempDir dir;
    ScopedCurrentDir cwd{dir.Path()};
    std::unique_ptr<IClock> clock;
    RecordingMessageBox box;
    RunContext app{*clock, box};
    CMemorySettings settings;
};

// The first catalogue row with an image names the address history the connection page uses.
inline std::string HistoryName(const RunContext& app) {
    return app.Catalogue().GetAt(app.FirstRowWithImage()).HistoryValueName();
}

// Answers every message box that comes up while it lives with `button`, and keeps their texts.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(QMessageBox::StandardButton button) {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            texts << box->text();
            captions << box->windowTitle();
            if (QAbstractButton* answer = box->button(button)) answer->click();
        });
        m_timer.start();
    }
    QStringList texts;
    QStringList captions;

private:
    QTimer m_timer;
};

// Waits until the sheet's device calls are done (bounded); false if they never end.
inline bool WaitIdle(const WizardSheet& sheet, int timeoutMs = 60000) {
    return QTest::qWaitFor([&sheet] { return !sheet.IsBusy(); }, timeoutMs);
}

// Presses a button of the wizard (QWizard::NextButton, BackButton, ...) and waits for the
// device calls it starts. False when the button is not offered.
inline bool Press(WizardSheet& sheet, QWizard::WizardButton which) {
    QPushButton* button = sheet.Button(which);
    if (!button || !button->isVisible() || !button->isEnabled()) return false;
    button->click();
    return WaitIdle(sheet);
}

inline QString ActivePageName(const WizardSheet& sheet) {
    return sheet.ActivePage() ? sheet.ActivePage()->objectName() : QString();
}

// The sheet of a full wizard run, shown without a modal loop so the test can drive it (it
// starts on its first page as it is shown).
inline std::unique_ptr<WizardSheet> StartSheet(SWizardApp& fixture) {
    auto sheet = WizardRunner::BuildSheet(fixture.app, fixture.settings, nullptr);
    sheet->show();
    sheet->Begin();
    return sheet;
}

template <typename T>
T* Find(const QWidget* page, const char* name) {
    return page ? page->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

// The sheet on the connection page, address and password typed in.
inline std::unique_ptr<WizardSheet> OnConnectionPage(SWizardApp& f, const std::string& address,
                                                     const std::string& password) {
    auto sheet = StartSheet(f);
    if (!Press(*sheet, QWizard::NextButton)) return nullptr;
    QWidget* page = sheet->ActivePage();
    Find<QComboBox>(page, "comboAddress")->setEditText(QString::fromStdString(address));
    Find<QLineEdit>(page, "editPassword")->setText(QString::fromStdString(password));
    return sheet;
}

// The connection page's status line.
inline QString Status(const WizardSheet& sheet) {
    return Find<QLabel>(sheet.ActivePage(), "labelStatus")->text();
}

// Whether the wizard's header (outside the page) shows `text` in a label of its own.
inline bool HeaderShows(const WizardSheet& sheet, const QString& text) {
    const QWidget* page = sheet.currentPage();
    for (const QLabel* label : sheet.findChildren<QLabel*>()) {
        if (label->isVisible() && label->text() == text && page && !page->isAncestorOf(label))
            return true;
    }
    return false;
}

// Shows page-table entry `index` after the current page, as if the walk had led there, once
// idle.
inline QWidget* OpenPage(WizardSheet& sheet, int index) {
    if (!sheet.ShowPageDirectly(index)) return nullptr;
    return WaitIdle(sheet) ? sheet.ActivePage() : nullptr;
}

// Clicks the button (or check box, radio button) of that object name on a page.
inline void Click(QWidget* page, const char* name) {
    Find<QAbstractButton>(page, name)->click();
}

// With QUILLMARCH_SCREENSHOT_DIR set (scripts/screenshots-wizard.sh), saves what `window`
// shows there as NAME.png; otherwise does nothing.
inline void SaveScreenshotIfAsked(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("QUILLMARCH_SCREENSHOT_DIR");
    if (dir.isEmpty() || !window) return;
    QDir().mkpath(dir);
    window->grab().save(dir + "/" + name + ".png");
}

}  // namespace quillmarch::test
