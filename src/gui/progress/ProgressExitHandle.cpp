// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/progress/ProgressExitHandle.h"

#include <QWidget>

#include "core/job/RunContext.h"
#include "gui/progress/GuiThreadCall.h"
#include "gui/progress/ProgressDialog.h"
#include "gui/progress/ProgressWindowBridge.h"

namespace quillmarch {

void ProgressExitHandle::HandOver(RunContext& app, std::unique_ptr<QApplication> application) {
    const auto bridge = std::dynamic_pointer_cast<ProgressWindowBridge>(app.m_progressWnd);
    if (bridge && !bridge->WindowGone()) {
        app.m_progressWnd =
            std::make_shared<ProgressExitHandle>(app.m_progressWnd, std::move(application));
        return;
    }
    if (application) {
        DeleteProgressWindows();
        application.reset();
    }
}

ProgressExitHandle::ProgressExitHandle(std::shared_ptr<IProgressWindow> window,
                                       std::unique_ptr<QApplication> application)
    : m_window(std::move(window)), m_application(std::move(application)) {}

ProgressExitHandle::~ProgressExitHandle() {
    if (!m_application) return;  // the caller's application: its windows are its business
    DeleteProgressWindows();
    m_application.reset();
}

ProgressState ProgressExitHandle::Forward(
    const std::function<ProgressState(IProgressWindow&)>& call) {
    const ProgressState answer = call(*m_window);
    if (OnGuiThread()) DeliverQueued();
    return answer;
}

void ProgressExitHandle::ForwardPost(const std::function<void(IProgressWindow&)>& call) {
    call(*m_window);
    if (OnGuiThread()) DeliverQueued();
}

ProgressState ProgressExitHandle::Caption(const std::string& caption) {
    return Forward([&](IProgressWindow& window) { return window.Caption(caption); });
}

ProgressState ProgressExitHandle::RunStarted(std::int64_t taskCount, std::int64_t parentWindow) {
    return Forward(
        [&](IProgressWindow& window) { return window.RunStarted(taskCount, parentWindow); });
}

ProgressState ProgressExitHandle::TaskStarted(const std::optional<std::string>& name,
                                              std::int64_t totalBytes) {
    return Forward([&](IProgressWindow& window) { return window.TaskStarted(name, totalBytes); });
}

ProgressState ProgressExitHandle::Percent(std::int64_t percent,
                                          const std::optional<std::string>& taskName) {
    return Forward([&](IProgressWindow& window) { return window.Percent(percent, taskName); });
}

ProgressState ProgressExitHandle::TaskDone() {
    return Forward([](IProgressWindow& window) { return window.TaskDone(); });
}

ProgressState ProgressExitHandle::RunEnded() {
    return Forward([](IProgressWindow& window) { return window.RunEnded(); });
}

ProgressState ProgressExitHandle::Close() {
    return Forward([](IProgressWindow& window) { return window.Close(); });
}

ProgressState ProgressExitHandle::Ping() {
    return Forward([](IProgressWindow& window) { return window.Ping(); });
}

void ProgressExitHandle::Bytes(std::int64_t bytesSoFar) {
    ForwardPost([bytesSoFar](IProgressWindow& window) { window.Bytes(bytesSoFar); });
}

void ProgressExitHandle::PostClose() {
    ForwardPost([](IProgressWindow& window) { window.PostClose(); });
}

void ProgressExitHandle::DeliverQueued() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();  // lets the window system see the window go
}

void ProgressExitHandle::DeleteProgressWindows() {
    if (!QCoreApplication::instance()) return;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<ProgressDialog*>(widget)) delete dialog;
    }
}

}  // namespace quillmarch
