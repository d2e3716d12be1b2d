// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <string>

namespace quillmarch {

class DeviceLink;
struct UpdateJob;

// Settings lines ("key,value\n") collected in the job's provisioning text and sent to the
// system as a provisioning file that it applies at its next start.
class ProvisioningWriter {
public:
    static constexpr const char* kProvisionFile = "quillmarchprovision.dat";
    static constexpr const char* kUrlFile = "provisionurl.dat";
    static constexpr const char* kDoFile = "doprovision.dat";

    // Logs the link on again; false when that failed.
    using ConnectFn = std::function<bool()>;

    // Collects only: with no link, writing fails once there are lines.
    explicit ProvisioningWriter(UpdateJob& job) : m_job(job) {}
    // `link` may be null (no link: writing fails); `connect` is called when it is not logged on.
    ProvisioningWriter(UpdateJob& job, DeviceLink* link, ConnectFn connect)
        : m_job(job), m_link(link), m_connect(std::move(connect)) {}

    void AddSetting(const std::string& key, const std::string& value);
    // The LAN, then the security, then the display lines, each group only when it applies.
    void CollectSettingsLines();
    // Sends the three files when there are lines; true when nothing was to be sent or the
    // link could be reached.
    [[nodiscard]] bool WriteProvisioning();

private:
    void AddLanLines();
    void AddSecurityLines();
    void AddDisplayLines();

    UpdateJob& m_job;
    DeviceLink* m_link = nullptr;
    ConnectFn m_connect;
};

}  // namespace quillmarch
