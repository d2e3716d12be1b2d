// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/device/ImageUploader.h"

#include <algorithm>
#include <chrono>

#include "core/device/RestartWatch.h"
#include "core/device/SystemConnector.h"
#include "core/job/RunContext.h"
#include "core/progress/ProgressProtocol.h"

namespace quillmarch {

namespace {

constexpr unsigned kRebootWaitMs = 300000;

}  // namespace

std::string ImageUploader::CrcText(int systemType) {
    // Fixed per image, not computed: types sharing an image share the text.
    static const char* const kCrc[] = {"0xNOTFOUND", "0x21EAF3EB", "0xE4FEA4F9", "0xFC2545B0",
                                       "0xE4FEA4F9", "0xF6554A0C", "0x36EF779E", "0xF6554A0C",
                                       "0x36EF779E", "0x36EF779E", "0xF6554A0C", "0x739B3E4E",
                                       "0x739B3E4E", "0xNOTFOUND"};
    constexpr int kKnown = static_cast<int>(sizeof(kCrc) / sizeof(kCrc[0]));
    return systemType >= 0 && systemType < kKnown ? kCrc[systemType] : "0xNOTFOUND";
}

bool ImageUploader::PutMainImage(const std::string& imageKey, const std::string& remoteName,
                                 bool wait) {
    bool result = false;
    bool attempted = false;
    if (!m_app.ImagePresent(m_app.Job().target.systemType)) {
        LogFailure(FailureCode::kNoImage, 225, "Can not update system");
    } else if (!m_app.Job().tasks.uploadImage) {
        Log(215, "Not update the image");
    } else {
        result = LoadAndSend(imageKey, remoteName, wait);
        attempted = true;
    }
    // An image that could not be read or sent is no update that is done.
    if (!attempted || m_sent) Log(224, "Updating done");
    return result;
}

bool ImageUploader::LoadAndSend(const std::string& imageKey, const std::string& remoteName,
                                bool wait) {
    ProgressProtocol progress(m_app);
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    const bool loaded = m_app.m_imageCatalogue.LoadImage("MainSoftware", imageKey, &data, &size);
    const bool started = progress.TaskStarted(m_app.LoadUiString(180, "Main Image"),
                                              static_cast<std::int64_t>(size));
    bool result = loaded && started;
    if (result) {
        result = PutImageToSystem(data, size, remoteName);
        if (!result)
            LogFailure(FailureCode::kUploadFailed, 218, "Could not put image to ", imageKey);
    } else {
        LogFailure(FailureCode::kNoImage, 219, "Could not get ", imageKey);
    }
    m_app.m_payloads.Release();  // the image is not needed in memory any more
    const bool done = progress.TaskDone();
    result = result && done;
    // With --verify the run's verification waits for the restart instead.
    if (result && wait && !m_app.Job().options.verify) {
        result = WaitForReboot(m_app.LoadUiString(179, "Waiting for Reboot"), kRebootWaitMs, true);
    }
    return result;
}

bool ImageUploader::PutImageToSystem(const std::uint8_t* data, std::size_t size,
                                     const std::string& remoteName) {
    m_app.WriteLog("PutImageToSystem: Size - " + std::to_string(size) + " and Name - " + remoteName,
                   0);
    if (!m_app.Job().tasks.uploadImage) return true;
    if (!data && size != 0) {  // nothing to read the promised bytes from
        LogFailure(FailureCode::kUploadFailed, 237, "Put Image Failure");
        return false;
    }
    if ((!m_app.m_link || !m_app.m_link->IsLoggedOn()) &&
        !SystemConnector(m_app).ConnectToSystem("", "")) {
        return false;
    }
    DeviceLink& link = *m_app.m_link;
    if (m_app.m_progressWnd) link.SetNotifyWindow(m_app.m_progressWnd);
    AnnounceImage(link, remoteName, size);
    m_app.Clock().Wait(std::chrono::seconds(5));
    const bool uploaded =
        link.UploadBuffer(remoteName, data, size, m_app.Job().options.uploadTimeoutSeconds);
    m_sent = uploaded;
    if (uploaded) {
        Log(236, "Put Image Success");
    } else {
        LogFailure(FailureCode::kUploadFailed, 237, "Put Image Failure");
    }
    return uploaded;
}

void ImageUploader::AnnounceImage(DeviceLink& link, const std::string& remoteName,
                                  std::size_t size) {
    // The system checks the image against these. Their replies are not judged: not every
    // system knows all three, and one that does not still takes the image. A lost session
    // shows in the upload that follows.
    static_cast<void>(link.SendCommand("unlock", nullptr, 0));
    static_cast<void>(
        link.SendCommand("size " + remoteName + "_" + std::to_string(size), nullptr, 0));
    static_cast<void>(
        link.SendCommand("crc " + CrcText(m_app.Job().target.systemType), nullptr, 0));
}

bool ImageUploader::WaitForReboot(const std::string& title, unsigned durationMs, bool skip) {
    if (title.empty() || durationMs <= 1000) return true;
    const unsigned steps = durationMs / 1000;
    const std::chrono::milliseconds limit{
        std::max<long long>(durationMs, m_app.Job().options.verifyTimeoutSeconds * 1000LL)};
    RestartWatch watch(m_app, limit);
    ProgressProtocol progress(m_app);
    bool run = progress.TaskStarted(title, kWaitTaskBytes);
    bool back = false;
    for (unsigned i = 1; i <= steps && run && !back; ++i) {
        const double percent = static_cast<double>(i) / steps * 100.0;
        const int whole = static_cast<int>(percent);
        // The display still counts through these steps; the system is up sooner than 300 s.
        const bool skipped = skip && whole >= 70 && whole <= 99 && whole % 5 == 0;
        if (!skipped) back = watch.PauseUntilBack(std::chrono::seconds(1));
        const bool going = progress.Percent(whole);
        run = run && going;
    }
    // Seen away but not back yet: a slow system gets up to the limit.
    if (run && !back && watch.SeenAway()) back = AwaitReturn(watch, progress, run);
    const bool returned = back || !watch.SeenAway() || !run;
    watch.LogWaited("the restart after the image");
    if (!returned) {
        m_app.WriteLog("The system did not answer again within " +
                           std::to_string(limit.count() / 1000) + " s after the image",
                       0);
    }
    const bool full = progress.Percent(100);
    const bool done = progress.TaskDone();
    return run && returned && full && done;
}

bool ImageUploader::AwaitReturn(RestartWatch& watch, ProgressProtocol& progress, bool& run) {
    while (run && !watch.Expired()) {
        if (watch.PauseUntilBack(std::chrono::seconds(1))) return true;
        const bool going = progress.Percent(99);
        run = run && going;
    }
    return false;
}

void ImageUploader::Log(int id, const char* fallback, const std::string& suffix) {
    m_app.WriteLog(m_app.LoadUiString(id, fallback) + suffix, 0);
}

void ImageUploader::LogFailure(FailureCode code, int id, const char* fallback,
                               const std::string& suffix) {
    m_app.WriteFailure(code, m_app.LoadUiString(id, fallback) + suffix);
}

}  // namespace quillmarch
