#include "core/settings/CProvisioning.h"

#include <cstdint>
#include <cstring>

#include "core/app/CQuillmarch6App.h"
#include "core/device/CSystemConnector.h"

namespace quillmarch {

namespace {

const std::uint8_t* Bytes(const char* text) {
    return reinterpret_cast<const std::uint8_t*>(text);
}

}  // namespace

void CProvisioning::AddSetting(const std::string& key, const std::string& value) {
    m_app.m_strProvision += key + "," + (value.empty() ? std::string("\"\"") : value) + "\n";
}

void CProvisioning::AddLanLines() {
    if (!m_app.m_bChangeLan) return;
    if (!m_app.m_bDhcpWanted) {
        AddSetting("dhcp_flg", "Off");
        AddSetting("defaultgateway", m_app.m_strDefaultGateway);
        AddSetting("subnetmask", m_app.m_strSubnetMask);
        AddSetting("ipaddress", m_app.m_strIpAddress);
    } else if (!m_app.m_bDhcpCurrent) {
        AddSetting("dhcp_flg", "Client");
    }
}

void CProvisioning::AddSecurityLines() {
    if (m_app.m_bSecureModeWanted == m_app.m_bSecureModeCurrent) return;
    AddSetting("securemode", m_app.m_bSecureModeWanted ? "True" : "False");
    if (!m_app.m_bSecureModeWanted) return;
    AddSetting("sw", m_app.m_strNewRemotePassword);
    AddSetting("useroompassword", m_app.m_bUseRoomForRemote ? "True" : "False");
    AddSetting("roomsw", m_app.m_strNewRoomPassword);
}

void CProvisioning::AddDisplayLines() {
    if (!m_app.m_bChangeDisplay) return;
    AddSetting("monitor1display", m_app.m_bAspect16x9 ? "16:9" : "4:3");
    AddSetting("cameratype", m_app.m_bPalWanted ? "PAL" : "NTSC");
    AddSetting("vgaresolution", m_app.m_bResolution1024 ? "60HZ1024x768" : "60HZ800x600");
    const char* output = m_app.m_nVideoOutput == 0   ? "Composite"
                         : m_app.m_nVideoOutput == 1 ? "S_Video"
                                                     : "VGA";
    AddSetting("monitoroutputsignal", output);
}

void CProvisioning::CollectSettingsLines() {
    if (!m_app.m_bChangeSettings) return;
    AddLanLines();
    AddSecurityLines();
    AddDisplayLines();
}

bool CProvisioning::WriteProvisioning() {
    if (m_app.m_strProvision.empty()) return true;
    if (!m_app.m_pLink) return false;
    if (!m_app.m_pLink->IsLoggedOn() && !CSystemConnector(m_app).ConnectToSystem("", ""))
        return false;
    // The text carries passwords: it is sent, never logged.
    const std::string& text = m_app.m_strProvision;
    CFTPBase& link = *m_app.m_pLink;
    link.UploadBuffer(kProvisionFile, Bytes(text.data()), text.size(), 0);
    link.UploadBuffer(kUrlFile, Bytes(kProvisionFile), std::strlen(kProvisionFile), 0);
    link.UploadBuffer(kDoFile, Bytes("True"), 4, 0);
    return true;
}

}  // namespace quillmarch
