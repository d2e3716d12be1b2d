#include <gtest/gtest.h>

#include "core/settings/CProvisioning.h"
#include "support/FakeAppFixture.h"

namespace quillmarch::test {
namespace {

class ProvisioningTest : public FakeAppFixture {
protected:
    std::string Collect() {
        m_app->m_bChangeSettings = true;
        CProvisioning(*m_app).CollectSettingsLines();
        return m_app->m_strProvision;
    }
};

TEST_F(ProvisioningTest, ManualAddressWithEmptyGatewayWritesFourLanLines) {
    m_app->m_bChangeLan = true;
    m_app->m_bDhcpWanted = false;
    m_app->m_strSubnetMask = "255.255.255.0";
    m_app->m_strIpAddress = "10.1.2.50";
    EXPECT_EQ(Collect(),
              "dhcp_flg,Off\ndefaultgateway,\"\"\nsubnetmask,255.255.255.0\nipaddress,10.1.2.50\n");
}

TEST_F(ProvisioningTest, DhcpLinesFollowTheCurrentSetting) {
    m_app->m_bChangeLan = true;
    m_app->m_bDhcpWanted = true;
    m_app->m_bDhcpCurrent = true;
    EXPECT_EQ(Collect(), "");
    m_app->m_bDhcpCurrent = false;
    EXPECT_EQ(Collect(), "dhcp_flg,Client\n");
}

TEST_F(ProvisioningTest, SecurityGroupOnlyWhenTheModeChanges) {
    m_app->m_bSecureModeCurrent = true;
    m_app->m_bSecureModeWanted = false;
    EXPECT_EQ(Collect(), "securemode,False\n");

    m_app->m_strProvision.clear();
    m_app->m_bSecureModeCurrent = false;
    m_app->m_bSecureModeWanted = true;
    m_app->m_bUseRoomForRemote = true;
    m_app->m_strNewRoomPassword = m_app->m_strNewRemotePassword = "n3w";
    EXPECT_EQ(Collect(), "securemode,True\nsw,n3w\nuseroompassword,True\nroomsw,n3w\n");
}

TEST_F(ProvisioningTest, DisplayLinesInTheirOrder) {
    m_app->m_bChangeDisplay = true;
    m_app->m_nVideoOutput = 2;
    m_app->m_bPalWanted = true;
    EXPECT_EQ(Collect(),
              "monitor1display,4:3\ncameratype,PAL\nvgaresolution,60HZ800x600\n"
              "monitoroutputsignal,VGA\n");
    m_app->m_strProvision.clear();
    m_app->m_nVideoOutput = 1;
    m_app->m_bAspect16x9 = true;
    m_app->m_bResolution1024 = true;
    m_app->m_bPalWanted = false;
    EXPECT_EQ(Collect(),
              "monitor1display,16:9\ncameratype,NTSC\nvgaresolution,60HZ1024x768\n"
              "monitoroutputsignal,S_Video\n");
}

TEST_F(ProvisioningTest, NothingCollectedWithoutTheSettingsTask) {
    m_app->m_bChangeLan = true;
    m_app->m_bDhcpWanted = false;
    m_app->m_bChangeSettings = false;
    CProvisioning(*m_app).CollectSettingsLines();
    EXPECT_EQ(m_app->m_strProvision, "");
}

TEST_F(ProvisioningTest, WriteSendsNothingWithoutLinesAndReconnectsWhenNeeded) {
    EXPECT_TRUE(CProvisioning(*m_app).WriteProvisioning());
    EXPECT_EQ(m_system.logons, 0);

    CProvisioning(*m_app).AddSetting("securemode", "False");
    EXPECT_TRUE(CProvisioning(*m_app).WriteProvisioning());
    EXPECT_EQ(m_system.logons, 1);
    EXPECT_EQ(m_system.files["quillmarchprovision.dat"], "securemode,False\n");

    m_app->m_pLink->Disconnect();
    m_system.logonCodes = {301};
    EXPECT_FALSE(CProvisioning(*m_app).WriteProvisioning());
}

TEST_F(ProvisioningTest, PasswordsNeverReachTheLog) {
    StartLog();
    m_app->m_nLogLevel = 1;  // even the advanced log
    m_app->m_bSecureModeWanted = true;
    m_app->m_strNewRoomPassword = m_app->m_strNewRemotePassword = "TopSecret9";
    Collect();
    CProvisioning(*m_app).WriteProvisioning();
    for (const auto& record : LogRecords()) EXPECT_EQ(record.find("TopSecret9"), std::string::npos);
}

TEST_F(ProvisioningTest, NewLinkEmptiesTheProvisioningText) {
    CProvisioning(*m_app).AddSetting("k", "v");
    m_app->CreateLink(false);
    EXPECT_EQ(m_app->m_strProvision, "");
}

}  // namespace
}  // namespace quillmarch::test
