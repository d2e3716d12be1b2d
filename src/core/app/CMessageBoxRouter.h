#pragma once

#include "core/app/IMessageBox.h"

namespace quillmarch {

// The application's message box, whose target is chosen once the run mode is known: the
// console at first, real message boxes once a GUI is up.
class CMessageBoxRouter : public IMessageBox {
public:
    explicit CMessageBoxRouter(IMessageBox& target) : m_pTarget(&target) {}
    void SetTarget(IMessageBox& target) { m_pTarget = &target; }
    IMessageBox& Target() const { return *m_pTarget; }
    int Show(const std::string& text, const std::string& caption, unsigned style) override {
        return m_pTarget->Show(text, caption, style);
    }

private:
    IMessageBox* m_pTarget;
};

}  // namespace quillmarch
