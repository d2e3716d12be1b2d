#include <gtest/gtest.h>

#include "core/provisioning/ProvisioningWriter.h"
#include "support/FakeAppFixture.h"

namespace quillmarch::test {
namespace {

class ProvisioningTest : public FakeAppFixture {
protected:
    std::string Collect() {
        m_app->m_changeSettings = true;
        ProvisioningWriter(*m_app).CollectSettingsLines();
        return m_app->m_provision;
    }
};

TEST_F(ProvisioningTest, ManualAddressWithEmptyGatewayWritesFourLanLines) {
    m_app->m_changeLan = true;
    m_app->m_dhcpWanted = false;
    m_app->m_subnetMask = "255.255.255.0";
    m_app->m_ipAddress = "10.1.2.50";
    EXPECT_EQ(Collect(),
              "dhcp_flg,Off\ndefaultgateway,\"\"\nsubnetmask,255.255.255.0\nipaddress,10.1.2.50\n");
}

TEST_F(ProvisioningTest, DhcpLinesFollowTheCurrentSetting) {
    m_app->m_changeLan = true;
    m_app->m_dhcpWanted = true;
    m_app->m_dhcpCurrent = true;
    EXPECT_EQ(Collect(), "");
    m_app->m_dhcpCurrent = false;
    EXPECT_EQ(Collect(), "dhcp_flg,Client\n");
}

TEST_F(ProvisioningTest, SecurityGroupOnlyWhenTheModeChanges) {
    m_app->m_secureModeCurrent = true;
    m_app->m_secureModeWanted = false;
    EXPECT_EQ(Collect(), "securemode,False\n");

    m_app->m_provision.clear();
    m_app->m_secureModeCurrent = false;
    m_app->m_secureModeWanted = true;
    m_app->m_useRoomForRemote = true;
    m_app->m_newRoomPassword = m_app->m_newRemotePassword = "n3w";
    EXPECT_EQ(Collect(), "securemode,True\nsw,n3w\nuseroompassword,True\nroomsw,n3w\n");
}

TEST_F(ProvisioningTest, DisplayLinesInTheirOrder) {
    m_app->m_changeDisplay = true;
    m_app->m_videoOutput = 2;
    m_app->m_palWanted = true;
    EXPECT_EQ(Collect(),
              "monitor1display,4:3\ncameratype,PAL\nvgaresolution,60HZ800x600\n"
              "monitoroutputsignal,VGA\n");
    m_app->m_provision.clear();
    m_app->m_videoOutput = 1;
    m_app->m_aspect16x9 = true;
    m_app->m_resolution1024 = true;
    m_app->m_palWanted = false;
    EXPECT_EQ(Collect(),
              "monitor1display,16:9\ncameratype,NTSC\nvgaresolution,60HZ1024x768\n"
              "monitoroutputsignal,S_Video\n");
}

TEST_F(ProvisioningTest, NothingCollectedWithoutTheSettingsTask) {
    m_app->m_changeLan = true;
    m_app->m_dhcpWanted = false;
    m_app->m_changeSettings = false;
    ProvisioningWriter(*m_app).CollectSettingsLines();
    EXPECT_EQ(m_app->m_provision, "");
}

TEST_F(ProvisioningTest, WriteSendsNothingWithoutLinesAndReconnectsWhenNeeded) {
    EXPECT_TRUE(ProvisioningWriter(*m_app).WriteProvisioning());
    EXPECT_EQ(m_system.logons, 0);

    ProvisioningWriter(*m_app).AddSetting("securemode", "False");
    EXPECT_TRUE(ProvisioningWriter(*m_app).WriteProvisioning());
    EXPECT_EQ(m_system.logons, 1);
    EXPECT_EQ(m_system.files["quillmarchprovision.dat"], "securemode,False\n");

    m_app->m_link->Disconnect();
    m_system.logonCodes = {301};
    EXPECT_FALSE(ProvisioningWriter(*m_app).WriteProvisioning());
}

TEST_F(ProvisioningTest, PasswordsNeverReachTheLog) {
    StartLog();
    m_app->m_logLevel = 1;  // even the advanced log
    m_app->m_secureModeWanted = true;
    m_app->m_newRoomPassword = m_app->m_newRemotePassword = "TopSecret9";
    Collect();
    ProvisioningWriter(*m_app).WriteProvisioning();
    for (const auto& record : LogRecords()) EXPECT_EQ(record.find("TopSecret9"), std::string::npos);
}

TEST_F(ProvisioningTest, NewLinkEmptiesTheProvisioningText) {
    ProvisioningWriter(*m_app).AddSetting("k", "v");
    m_app->CreateLink(false);
    EXPECT_EQ(m_app->m_provision, "");
}

}  // namespace
}  // namespace quillmarch::test
