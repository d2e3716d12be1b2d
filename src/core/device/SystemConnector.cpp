// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/device/SystemConnector.h"

#include <cctype>
#include <chrono>

#include "core/job/RunContext.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

bool SystemConnector::ConnectToSystem(const std::string& address, const std::string& password) {
    if (!address.empty()) {
        // A model found for another address must not carry over: a system whose FLAG reply
        // names no model would otherwise be sent the previous system's image.
        if (address != m_app.Job().target.address)
            m_app.Job().target.systemType = ModelCatalogue::kUnknown;
        m_app.Job().target.address = address;
        m_app.Job().target.password = password;
    }
    DeviceLink* link = m_app.m_link.get();
    if (!link) return false;
    if (link->IsLoggedOn()) return true;
    if (!link->LogonToSystem(m_app.Job().target.address, "admin", m_app.Job().target.password))
        return false;

    // The logon's own FLAG query only needed the mode; this one is for the model.
    // Without an answer the model is left as found so far; model.dat may still name it.
    std::string reply;
    if (link->SendCommand("FLAG", &reply, 1) == 200) Identify(text::Trim(text::Lower(reply)));

    if (m_app.Job().target.systemType == ModelCatalogue::kUnknown) {
        std::string modelText;
        if (!link->DownloadToString("model.dat", modelText, filelimit::kValueFileBytes)) {
            link->Disconnect();
            m_app.Clock().Wait(std::chrono::seconds(10));
            m_app.Job().target.systemType = ModelCatalogue::kUnknown;
            return false;
        }
        Identify(text::Lower(modelText));  // the file's white space is part of what it says
    }
    return link->IsLoggedOn();
}

void SystemConnector::Identify(const std::string& text) {
    // Every matching row overwrites the type, so the last matching row wins; without a match
    // the type found earlier stays.
    m_app.Job().target.systemType = m_app.Catalogue().Identify(text, m_app.Job().target.systemType);
}

}  // namespace quillmarch
