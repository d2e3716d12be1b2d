#pragma once

#include <string>

namespace quillmarch {

class RunContext;

// Settings lines ("key,value\n") collected in the job's provisioning text and sent to the
// system as a provisioning file that it applies at its next start.
class ProvisioningWriter {
public:
    static constexpr const char* kProvisionFile = "quillmarchprovision.dat";
    static constexpr const char* kUrlFile = "provisionurl.dat";
    static constexpr const char* kDoFile = "doprovision.dat";

    explicit ProvisioningWriter(RunContext& app) : m_app(app) {}

    void AddSetting(const std::string& key, const std::string& value);
    // The LAN, then the security, then the display lines, each group only when it applies.
    void CollectSettingsLines();
    // Sends the three files when there are lines; true when nothing was to be sent or the
    // link could be reached.
    bool WriteProvisioning();

private:
    void AddLanLines();
    void AddSecurityLines();
    void AddDisplayLines();

    RunContext& m_app;
};

}  // namespace quillmarch
