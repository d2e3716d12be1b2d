// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/progress/ProgressWindowBridge.h"

#include "gui/progress/DisplayLoss.h"
#include "gui/progress/GuiThreadCall.h"
#include "gui/progress/ProgressDialog.h"

namespace quillmarch {

ProgressWindowBridge::ProgressWindowBridge(ProgressDialog* dialog) : m_dialog(dialog) {
    if (!dialog) {
        m_gone->store(true);
        return;
    }
    QObject::connect(dialog, &QObject::destroyed, [gone = m_gone] { gone->store(true); });
}

ProgressState ProgressWindowBridge::Ask(const WindowCall& call) {
    if (DisplayLoss::Lost()) return ProgressState::Lost;
    if (WindowGone()) return ProgressState::Gone;
    // Stays so when the window goes before the call runs, or Qt drops the call.
    ProgressState answer = ProgressState::Gone;
    CallOnGuiThread([dialog = m_dialog, &answer, &call] {
        if (dialog) answer = call(*dialog);
    });
    return DisplayLoss::Lost() ? ProgressState::Lost : answer;
}

void ProgressWindowBridge::Tell(WindowPost call) {
    if (WindowGone()) return;
    PostToGuiThread([dialog = m_dialog, call = std::move(call)] {
        if (dialog) call(*dialog);
    });
}

ProgressState ProgressWindowBridge::Caption(const std::string& caption) {
    return Ask([&](ProgressDialog& dialog) { return dialog.Caption(caption); });
}

ProgressState ProgressWindowBridge::RunStarted(std::int64_t taskCount, std::int64_t parentWindow) {
    return Ask([&](ProgressDialog& dialog) { return dialog.RunStarted(taskCount, parentWindow); });
}

ProgressState ProgressWindowBridge::TaskStarted(const std::optional<std::string>& name,
                                                std::int64_t totalBytes) {
    return Ask([&](ProgressDialog& dialog) { return dialog.TaskStarted(name, totalBytes); });
}

ProgressState ProgressWindowBridge::Percent(std::int64_t percent,
                                            const std::optional<std::string>& taskName) {
    return Ask([&](ProgressDialog& dialog) { return dialog.Percent(percent, taskName); });
}

ProgressState ProgressWindowBridge::TaskDone() {
    return Ask([](ProgressDialog& dialog) { return dialog.TaskDone(); });
}

ProgressState ProgressWindowBridge::RunEnded() {
    return Ask([](ProgressDialog& dialog) { return dialog.RunEnded(); });
}

ProgressState ProgressWindowBridge::Close() {
    return Ask([](ProgressDialog& dialog) { return dialog.Close(); });
}

ProgressState ProgressWindowBridge::Ping() {
    return Ask([](ProgressDialog& dialog) { return dialog.Ping(); });
}

void ProgressWindowBridge::Bytes(std::int64_t bytesSoFar) {
    Tell([bytesSoFar](ProgressDialog& dialog) { dialog.Bytes(bytesSoFar); });
}

void ProgressWindowBridge::PostClose() {
    Tell([](ProgressDialog& dialog) { dialog.PostClose(); });
}

}  // namespace quillmarch
