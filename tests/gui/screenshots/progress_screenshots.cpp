// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The program with its GUI faces plus a photographer for the documentation: it runs exactly like
// quillmarch (same libraries, same command line) and, from outside the progress window, saves
// PNG pictures of it into the folder named by QUILLMARCH_SCREENSHOT_DIR:
//   progress-upload.png    once a byte-counted transfer shows 40 % or more (below 100 %),
//   progress-finished.png  when the window shows the run's outcome; then it presses OK, so the
//                          run ends without an operator.
// scripts/screenshots-progress.sh drives it on a virtual X display.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "cli/CommandLineRun.h"
#include "gui/app/GuiEntryPoints.h"

namespace {

constexpr int kPollMilliseconds = 20;

QString g_folder;
bool g_uploadSaved = false;

void Save(QWidget* window, const QString& name) {
    // Layouts of widgets just shown or hidden settle first.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (window->layout() != nullptr) window->layout()->activate();
    window->grab().save(QDir(g_folder).filePath(name), "PNG");
}

QWidget* VisibleProgressWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("progressDialog") && widget->isVisible())
            return widget;
    }
    return nullptr;
}

// The window shows a byte transfer at 40 % or more: the bar and the figures beside it
// ("NN%<tab>done / total KB"; other tasks show only "NN %") agree.
bool ShowsTransferAt40(QWidget* window) {
    const auto* bar = window->findChild<QProgressBar*>(QStringLiteral("progressBar"));
    const auto* percent = window->findChild<QLabel*>(QStringLiteral("currentPercent"));
    if (bar == nullptr || percent == nullptr) return false;
    const QString figures = percent->text().trimmed();
    return bar->value() >= 40 && bar->value() < 100 &&
           figures.startsWith(QString::number(bar->value()) + QLatin1Char('%')) &&
           figures.contains(QStringLiteral(" / "));
}

// A transfer on loopback passes 40 % in a few large steps, faster than any poll, so the
// window is looked at between any two events the application handles.
class UploadWatch : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* /*watched*/, QEvent* /*event*/) override {
        if (g_uploadSaved) return false;
        QWidget* window = VisibleProgressWindow();
        if (window == nullptr || !ShowsTransferAt40(window)) return false;
        g_uploadSaved = true;  // before the grab, whose own events come through here
        Save(window, QStringLiteral("progress-upload.png"));
        return false;
    }
};

bool ShowsOutcome(QWidget* window) {
    const auto* ok = window->findChild<QPushButton*>(QStringLiteral("okButton"));
    const auto* outcome = window->findChild<QLabel*>(QStringLiteral("outcome"));
    return ok != nullptr && ok->isEnabled() && outcome != nullptr && !outcome->text().isEmpty();
}

void Look() {
    QWidget* window = VisibleProgressWindow();
    if (window == nullptr) return;
    if (ShowsOutcome(window)) {
        Save(window, QStringLiteral("progress-finished.png"));
        window->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    }
}

// Runs as soon as the GUI library creates its application object.
void StartPhotographer() {
    g_folder = qEnvironmentVariable("QUILLMARCH_SCREENSHOT_DIR");
    if (g_folder.isEmpty()) return;
    QCoreApplication::instance()->installEventFilter(new UploadWatch(QCoreApplication::instance()));
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, &Look);
    timer->start(kPollMilliseconds);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartPhotographer)

int main(int argc, char** argv) {
    return quillmarch::CommandLineRun::Main(argc, argv, quillmarch::MakeGuiHooks());
}
