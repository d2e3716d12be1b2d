// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/provisioning/ProvisioningCleanup.h"

#include "core/job/RunContext.h"
#include "core/link/DeviceLink.h"
#include "core/provisioning/ProvisioningWriter.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

// The flag file holds one word.
constexpr std::size_t kFlagBytes = 64;

bool HasKey(const std::string& text, const std::string& key) {
    const std::string line = key + ",";
    return text.rfind(line, 0) == 0 || text.find("\n" + line) != std::string::npos;
}

}  // namespace

bool ProvisioningCleanup::CarriesPassword(const std::string& provision) {
    return HasKey(provision, "sw") || HasKey(provision, "roomsw");
}

bool ProvisioningCleanup::RemoveIfApplied() {
    DeviceLink* link = m_app.m_link.get();
    if (!link || !link->IsLoggedOn()) {
        m_app.WriteLog(
            "The settings file with the new password may be left on the system: it could not be "
            "reached to remove it",
            0);
        return false;
    }
    std::string flag;
    if (link->DownloadToString(ProvisioningWriter::kDoFile, flag, kFlagBytes) &&
        text::Trim(flag) == "True") {
        m_app.WriteLog(
            "The system has not applied the settings file yet: it is left on the system, with "
            "the new password in it",
            0);
        return false;
    }
    const bool removed =
        link->SendCommand(std::string("DELE ") + ProvisioningWriter::kProvisionFile, nullptr, 1) /
            100 ==
        2;
    // The pointer file holds no password: left behind it is noted, and the run goes on.
    if (link->SendCommand(std::string("DELE ") + ProvisioningWriter::kUrlFile, nullptr, 1) != 200)
        m_app.WriteLog(std::string("The settings pointer file may be left on the system: ") +
                           ProvisioningWriter::kUrlFile,
                       0);
    m_app.WriteLog(removed ? "Removed the applied settings file (it held the new password) from "
                             "the system"
                           : "The settings file with the new password may be left on the system",
                   0);
    return removed;
}

}  // namespace quillmarch
