#include "core/provisioning/ProvisioningWriter.h"

#include <cstdint>
#include <cstring>

#include "core/device/SystemConnector.h"
#include "core/job/RunContext.h"

namespace quillmarch {

namespace {

const std::uint8_t* Bytes(const char* text) {
    return reinterpret_cast<const std::uint8_t*>(text);
}

}  // namespace

void ProvisioningWriter::AddSetting(const std::string& key, const std::string& value) {
    m_app.Job().options.provision +=
        key + "," + (value.empty() ? std::string("\"\"") : value) + "\n";
}

void ProvisioningWriter::AddLanLines() {
    if (!m_app.Job().lan.changeLan) return;
    if (!m_app.Job().lan.dhcpWanted) {
        AddSetting("dhcp_flg", "Off");
        AddSetting("defaultgateway", m_app.Job().lan.defaultGateway);
        AddSetting("subnetmask", m_app.Job().lan.subnetMask);
        AddSetting("ipaddress", m_app.Job().lan.ipAddress);
    } else if (!m_app.Job().lan.dhcpCurrent) {
        AddSetting("dhcp_flg", "Client");
    }
}

void ProvisioningWriter::AddSecurityLines() {
    if (m_app.Job().security.secureModeWanted == m_app.Job().security.secureModeCurrent) return;
    AddSetting("securemode", m_app.Job().security.secureModeWanted ? "True" : "False");
    if (!m_app.Job().security.secureModeWanted) return;
    AddSetting("sw", m_app.Job().security.newRemotePassword);
    AddSetting("useroompassword", m_app.Job().security.useRoomForRemote ? "True" : "False");
    AddSetting("roomsw", m_app.Job().security.newRoomPassword);
}

void ProvisioningWriter::AddDisplayLines() {
    if (!m_app.Job().display.changeDisplay) return;
    AddSetting("monitor1display", m_app.Job().display.aspect16x9 ? "16:9" : "4:3");
    AddSetting("cameratype", m_app.Job().display.palWanted ? "PAL" : "NTSC");
    AddSetting("vgaresolution",
               m_app.Job().display.resolution1024 ? "60HZ1024x768" : "60HZ800x600");
    const char* output = m_app.Job().display.videoOutput == 0   ? "Composite"
                         : m_app.Job().display.videoOutput == 1 ? "S_Video"
                                                                : "VGA";
    AddSetting("monitoroutputsignal", output);
}

void ProvisioningWriter::CollectSettingsLines() {
    if (!m_app.Job().tasks.changeSettings) return;
    AddLanLines();
    AddSecurityLines();
    AddDisplayLines();
}

bool ProvisioningWriter::WriteProvisioning() {
    if (m_app.Job().options.provision.empty()) return true;
    if (!m_app.m_link) return false;
    if (!m_app.m_link->IsLoggedOn() && !SystemConnector(m_app).ConnectToSystem("", ""))
        return false;
    // The text carries passwords: it is sent, never logged.
    const std::string& text = m_app.Job().options.provision;
    DeviceLink& link = *m_app.m_link;
    link.UploadBuffer(kProvisionFile, Bytes(text.data()), text.size(), 0);
    link.UploadBuffer(kUrlFile, Bytes(kProvisionFile), std::strlen(kProvisionFile), 0);
    link.UploadBuffer(kDoFile, Bytes("True"), 4, 0);
    return true;
}

}  // namespace quillmarch
