// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// RunContext::CreateLink lives apart from the rest of the application so that the
// application's own file does not depend on the link implementations.
#include "core/job/RunContext.h"
#include "core/link/FtpSession.h"
#include "core/link/LinkFactory.h"

namespace quillmarch {

bool RunContext::CreateLink(bool secure) {
    m_link.reset();  // closes the old connection first
    m_link = m_linkFactory ? m_linkFactory(*this, secure) : MakeComponentLink(*this, secure);
    if (!m_link) {
        // Shown in every run mode: without a link nothing can work.
        m_messageBox.Show(
            LoadUiString(209, "Failed to create FTP control, please reboot and try again"),
            "Quillmarch", MB_OK | MB_ICONERROR);
        return false;
    }
    m_link->SetPassive(m_job.target.passiveMode);
    // A real link stops its transfers when the operator asks the run to stop, and says so when
    // it turns away a data connection from another host.
    if (auto* component = dynamic_cast<FtpSession*>(m_link.get())) {
        component->SetCancelHook([this] { return m_interrupt.ShouldStop(); });
        component->SetNoticeHook([this](const std::string& text) { WriteLog(text, 0); });
    }
    m_job.options.provision.clear();
    return true;
}

}  // namespace quillmarch
