#pragma once

#include <string>

#include "core/link/CFTPBase.h"
#include "support/FakeSystem.h"

namespace quillmarch::test {

// A device link whose component is an in-memory FakeSystem: the link's own logic (logon,
// commands, transfers through the work directory, listings, events) runs unchanged.
class FakeLink : public CFTPBase {
public:
    static constexpr int kNotConnected = 20001;
    static constexpr int kFileNotFound = 20550;
    static constexpr int kTransferFailed = 20426;
    static constexpr int kAborted = 20312;
    static constexpr std::size_t kChunk = 16 * 1024;

    FakeLink(CQuillmarch6App& app, FakeSystem& system, bool secure = false);

    int SetTimeout(int seconds) override;
    int SetRemoteHost(const std::string& host) override;
    int SetLocalFile(const std::string& path) override;
    int SetRemoteFile(const std::string& name) override;
    int SetUploadData(const std::uint8_t* data, std::size_t size) override;
    int Upload() override;
    int Download() override;
    int SetPassive(bool passive) override;
    bool GetPassive() override { return m_bPassive; }
    std::string GetLastReply() override { return m_strLastReply; }
    int SetCommand(const std::string& command) override;
    int SetTransferMode(int) override { return 0; }
    int Logon() override;
    int Logoff() override;
    int SetPassword(const std::string& password) override;
    int SetUser(const std::string& user) override;
    int ListDirectory() override;
    std::string GetRemoteFile() override { return m_strRemoteFile; }
    std::string Config(const std::string& setting) override;
    int Interrupt() override { return Abort(); }
    int Abort() override {
        m_bAborted = true;
        return 0;
    }

    // What the component was given, for assertions.
    std::string m_strGivenHost, m_strGivenUser, m_strGivenPassword;
    int m_nTimeout = 0;
    long long m_nOutBufferSize = 65536;

private:
    void RunCommand(const std::string& command);

    FakeSystem& m_system;
    bool m_bPassive = false;
    std::string m_strLocalFile, m_strRemoteFile, m_strLastReply;
    const std::uint8_t* m_pUploadData = nullptr;
    std::size_t m_nUploadSize = 0;
    bool m_bUploadFromMemory = false;
    bool m_bAborted = false;
};

}  // namespace quillmarch::test
