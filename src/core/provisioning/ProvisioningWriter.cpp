// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/provisioning/ProvisioningWriter.h"

#include <cstdint>
#include <cstring>

#include "core/job/UpdateJob.h"
#include "core/link/DeviceLink.h"

namespace quillmarch {

namespace {

const std::uint8_t* Bytes(const char* text) {
    return reinterpret_cast<const std::uint8_t*>(text);
}

}  // namespace

void ProvisioningWriter::AddSetting(const std::string& key, const std::string& value) {
    m_job.options.provision += key + "," + (value.empty() ? std::string("\"\"") : value) + "\n";
}

void ProvisioningWriter::AddLanLines() {
    if (!m_job.lan.changeLan) return;
    if (!m_job.lan.dhcpWanted) {
        AddSetting("dhcp_flg", "Off");
        AddSetting("defaultgateway", m_job.lan.defaultGateway);
        AddSetting("subnetmask", m_job.lan.subnetMask);
        AddSetting("ipaddress", m_job.lan.ipAddress);
    } else if (!m_job.lan.dhcpCurrent) {
        AddSetting("dhcp_flg", "Client");
    }
}

void ProvisioningWriter::AddSecurityLines() {
    if (m_job.security.secureModeWanted == m_job.security.secureModeCurrent) return;
    AddSetting("securemode", m_job.security.secureModeWanted ? "True" : "False");
    if (!m_job.security.secureModeWanted) return;
    AddSetting("sw", m_job.security.newRemotePassword);
    AddSetting("useroompassword", m_job.security.useRoomForRemote ? "True" : "False");
    AddSetting("roomsw", m_job.security.newRoomPassword);
}

void ProvisioningWriter::AddDisplayLines() {
    if (!m_job.display.changeDisplay) return;
    AddSetting("monitor1display", m_job.display.aspect16x9 ? "16:9" : "4:3");
    AddSetting("cameratype", m_job.display.palWanted ? "PAL" : "NTSC");
    AddSetting("vgaresolution", m_job.display.resolution1024 ? "60HZ1024x768" : "60HZ800x600");
    const char* output = m_job.display.videoOutput == 0   ? "Composite"
                         : m_job.display.videoOutput == 1 ? "S_Video"
                                                          : "VGA";
    AddSetting("monitoroutputsignal", output);
}

void ProvisioningWriter::CollectSettingsLines() {
    if (!m_job.tasks.changeSettings) return;
    AddLanLines();
    AddSecurityLines();
    AddDisplayLines();
}

bool ProvisioningWriter::WriteProvisioning() {
    if (m_job.options.provision.empty()) return true;
    if (!m_link) return false;
    if (!m_link->IsLoggedOn() && !(m_connect && m_connect())) return false;
    // The text carries passwords: it is sent, never logged.
    const std::string& text = m_job.options.provision;
    DeviceLink& link = *m_link;
    // Each file only after the one before it arrived: pointing the system at an older
    // settings file, or telling it to apply one that did not arrive, would apply stale settings.
    return link.UploadBuffer(kProvisionFile, Bytes(text.data()), text.size(), 0) &&
           link.UploadBuffer(kUrlFile, Bytes(kProvisionFile), std::strlen(kProvisionFile), 0) &&
           link.UploadBuffer(kDoFile, Bytes("True"), 4, 0);
}

}  // namespace quillmarch
