// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "core/ui/IMessageBox.h"

namespace quillmarch {

// The application's message box, whose target is chosen once the run mode is known: the
// console at first, real message boxes once a GUI is up.
class MessageBoxRouter : public IMessageBox {
public:
    explicit MessageBoxRouter(IMessageBox& target) : m_target(&target) {}
    void SetTarget(IMessageBox& target) { m_target = &target; }
    IMessageBox& Target() const { return *m_target; }
    int Show(const std::string& text, const std::string& caption, unsigned style) override {
        return m_target->Show(text, caption, style);
    }
    bool CanShow() const override { return m_target->CanShow(); }

private:
    IMessageBox* m_target;
};

}  // namespace quillmarch
