// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/run/FailureCode.h"

namespace quillmarch {

class RunContext;
class DeviceLink;
class ProgressProtocol;
class RestartWatch;

// Sends the model's software image to a system in update mode and waits for its restart.
class ImageUploader {
public:
    explicit ImageUploader(RunContext& app) : m_app(app) {}

    [[nodiscard]] bool PutMainImage(const std::string& imageKey, const std::string& remoteName,
                                    bool wait);
    [[nodiscard]] bool PutImageToSystem(const std::uint8_t* data, std::size_t size,
                                        const std::string& remoteName);
    // Paced as the display counts through `durationMs`, but ends as soon as the system has
    // gone away and answers again; one seen away gets up to the job's verification time-out.
    // A system never seen away is trusted after the paced time, as before.
    [[nodiscard]] bool WaitForReboot(const std::string& title, unsigned durationMs, bool skip);

    // The fixed text of the "crc %s" command for a system type (0..14).
    static std::string CrcText(int systemType);

    // The system took the whole image: from here it installs and restarts by itself.
    [[nodiscard]] bool ImageSent() const { return m_sent; }

private:
    [[nodiscard]] bool LoadAndSend(const std::string& imageKey, const std::string& remoteName,
                                   bool wait);
    [[nodiscard]] bool AwaitReturn(RestartWatch& watch, ProgressProtocol& progress, bool& run);
    void AnnounceImage(DeviceLink& link, const std::string& remoteName, std::size_t size);
    void Log(int id, const char* fallback, const std::string& suffix = std::string());
    void LogFailure(FailureCode code, int id, const char* fallback,
                    const std::string& suffix = std::string());

    RunContext& m_app;
    bool m_sent = false;
};

}  // namespace quillmarch
