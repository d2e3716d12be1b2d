// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "core/device/SystemConnector.h"
#include "core/provisioning/ProvisioningWriter.h"
#include "support/FakeAppFixture.h"

namespace quillmarch::test {
namespace {

class ProvisioningTest : public FakeAppFixture {
protected:
    // Wired as the run wires it: the context's link, logged on again through the connector.
    ProvisioningWriter Writer() {
        return ProvisioningWriter(m_app->Job(), m_app->m_link.get(), [this] {
            return SystemConnector(*m_app).ConnectToSystem("", "");
        });
    }
    std::string Collect() {
        m_app->Job().tasks.changeSettings = true;
        ProvisioningWriter(m_app->Job()).CollectSettingsLines();
        return m_app->Job().options.provision;
    }
};

TEST_F(ProvisioningTest, ManualAddressWithEmptyGatewayWritesFourLanLines) {
    m_app->Job().lan.changeLan = true;
    m_app->Job().lan.dhcpWanted = false;
    m_app->Job().lan.subnetMask = "255.255.255.0";
    m_app->Job().lan.ipAddress = "10.1.2.50";
    EXPECT_EQ(Collect(),
              "dhcp_flg,Off\ndefaultgateway,\"\"\nsubnetmask,255.255.255.0\nipaddress,10.1.2.50\n");
}

TEST_F(ProvisioningTest, DhcpLinesFollowTheCurrentSetting) {
    m_app->Job().lan.changeLan = true;
    m_app->Job().lan.dhcpWanted = true;
    m_app->Job().lan.dhcpCurrent = true;
    EXPECT_EQ(Collect(), "");
    m_app->Job().lan.dhcpCurrent = false;
    EXPECT_EQ(Collect(), "dhcp_flg,Client\n");
}

TEST_F(ProvisioningTest, SecurityGroupOnlyWhenTheModeChanges) {
    m_app->Job().security.secureModeCurrent = true;
    m_app->Job().security.secureModeWanted = false;
    EXPECT_EQ(Collect(), "securemode,False\n");

    m_app->Job().options.provision.clear();
    m_app->Job().security.secureModeCurrent = false;
    m_app->Job().security.secureModeWanted = true;
    m_app->Job().security.useRoomForRemote = true;
    m_app->Job().security.newRoomPassword = m_app->Job().security.newRemotePassword = "n3w";
    EXPECT_EQ(Collect(), "securemode,True\nsw,n3w\nuseroompassword,True\nroomsw,n3w\n");
}

TEST_F(ProvisioningTest, DisplayLinesInTheirOrder) {
    m_app->Job().display.changeDisplay = true;
    m_app->Job().display.videoOutput = 2;
    m_app->Job().display.palWanted = true;
    EXPECT_EQ(Collect(),
              "monitor1display,4:3\ncameratype,PAL\nvgaresolution,60HZ800x600\n"
              "monitoroutputsignal,VGA\n");
    m_app->Job().options.provision.clear();
    m_app->Job().display.videoOutput = 1;
    m_app->Job().display.aspect16x9 = true;
    m_app->Job().display.resolution1024 = true;
    m_app->Job().display.palWanted = false;
    EXPECT_EQ(Collect(),
              "monitor1display,16:9\ncameratype,NTSC\nvgaresolution,60HZ1024x768\n"
              "monitoroutputsignal,S_Video\n");
}

TEST_F(ProvisioningTest, NothingCollectedWithoutTheSettingsTask) {
    m_app->Job().lan.changeLan = true;
    m_app->Job().lan.dhcpWanted = false;
    m_app->Job().tasks.changeSettings = false;
    ProvisioningWriter(m_app->Job()).CollectSettingsLines();
    EXPECT_EQ(m_app->Job().options.provision, "");
}

TEST_F(ProvisioningTest, WriteSendsNothingWithoutLinesAndReconnectsWhenNeeded) {
    EXPECT_TRUE(Writer().WriteProvisioning());
    EXPECT_EQ(m_system.logons, 0);

    ProvisioningWriter(m_app->Job()).AddSetting("securemode", "False");
    EXPECT_TRUE(Writer().WriteProvisioning());
    EXPECT_EQ(m_system.logons, 1);
    EXPECT_EQ(m_system.files["quillmarchprovision.dat"], "securemode,False\n");

    m_app->m_link->Disconnect();
    m_system.logonCodes = {301};
    EXPECT_FALSE(Writer().WriteProvisioning());
}

TEST_F(ProvisioningTest, PasswordsNeverReachTheLog) {
    StartLog();
    m_app->Job().options.logLevel = 1;  // even the advanced log
    m_app->Job().security.secureModeWanted = true;
    m_app->Job().security.newRoomPassword = m_app->Job().security.newRemotePassword = "TopSecret9";
    Collect();
    EXPECT_TRUE(Writer().WriteProvisioning());
    for (const auto& record : LogRecords()) EXPECT_EQ(record.find("TopSecret9"), std::string::npos);
}

TEST_F(ProvisioningTest, NewLinkEmptiesTheProvisioningText) {
    ProvisioningWriter(m_app->Job()).AddSetting("k", "v");
    m_app->CreateLink(false);
    EXPECT_EQ(m_app->Job().options.provision, "");
}

}  // namespace
}  // namespace quillmarch::test
