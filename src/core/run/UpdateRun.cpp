// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/run/UpdateRun.h"

#include <chrono>
#include <cstdio>

#include "core/device/BootUiSwitch.h"
#include "core/device/ImageUploader.h"
#include "core/device/RestartWatch.h"
#include "core/device/SystemConnector.h"
#include "core/job/RunContext.h"
#include "core/link/SystemWebClient.h"
#include "core/pack/ImageCheck.h"
#include "core/platform/Platform.h"
#include "core/platform/SystemKey.h"
#include "core/progress/ProgressProtocol.h"
#include "core/provisioning/ProvisioningCleanup.h"
#include "core/provisioning/ProvisioningWriter.h"
#include "core/run/CallGuard.h"
#include "core/run/NormalModeReturn.h"
#include "core/run/RetainBackup.h"
#include "core/run/SystemFactsReader.h"
#include "core/run/Verification.h"
#include "core/util/AddressNames.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

using std::chrono::milliseconds;

constexpr unsigned kRebootWaitMs = 300000;
constexpr std::uint16_t kDummyPayload = 198;
constexpr int kFtpPort = 21;

}  // namespace

bool UpdateRun::SendsImage() const {
    return m_app.Job().tasks.updateSoftware && m_app.Job().tasks.uploadImage;
}

bool UpdateRun::AnyRetained() const {
    return m_app.Job().retain.directory || m_app.Job().retain.systemSettings ||
           m_app.Job().retain.sampleSites || m_app.Job().retain.callDetail;
}

// Secure mode switched on: the settings file holds the new passwords (see ProvisioningCleanup).
bool UpdateRun::SendsPassword() const {
    const UpdateJob& job = m_app.Job();
    return job.tasks.changeSettings && job.security.secureModeWanted &&
           !job.security.secureModeCurrent;
}

int UpdateRun::CountTasks() const {
    int n = m_app.Job().tasks.changeSettings ? 1 : 0;
    // Without an image the run waits for the restart that applies the passwords, then removes
    // their file.
    if (!m_app.Job().tasks.updateSoftware && SendsPassword()) n += 1;
    if (m_app.Job().tasks.updateSoftware) {
        if (AnyRetained()) n += 1;
        // --verify adds the check after the restart wait.
        if (m_app.Job().tasks.uploadImage) n += m_app.Job().options.verify ? 4 : 3;
    } else if (m_app.Job().tasks.eraseFlash) {
        if (AnyRetained() || m_app.Job().lan.changeLan || m_app.Job().display.changeDisplay ||
            m_app.Job().security.secureModeWanted != m_app.Job().security.secureModeCurrent)
            n += 2;
        n += 2;
    }
    return n;
}

bool UpdateRun::RunUpdate(std::int64_t parentWindow) {
    // Data safety: a second run against the same system must not touch it.
    if (!LockSystem()) return Finish(false);
    if (RefuseEraseWithUpdate()) return Finish(false);

    m_app.m_updateRunning = true;
    ProgressProtocol progress(m_app);
    if (!m_app.Job().options.quiet) progress.StartProgressWindow();
    // Safe points: an operator's stop is honoured between phases, never inside one.
    const RunInterrupt& interrupt = m_app.Interrupt();
    if (interrupt.ShouldStop()) return Finish(false);
    // Without a link (start-up could not make one) there is nothing to connect with.
    if (!m_app.m_link || !SystemConnector(m_app).ConnectToSystem(m_app.Job().target.address,
                                                                 m_app.Job().target.password)) {
        m_app.WriteFailure(FailureCode::kConnectFailed,
                           m_app.LoadUiString(10, "Could not connect to system"));
        m_app.ReportConnectFailure();
        return Finish(false);
    }
    // What the system ran before (a file read, nothing changed): for the report, and for a
    // verification that has no version of the image to compare with.
    const SystemFacts before = SystemFactsReader::Read(m_app);
    m_app.Job().target.softwareBefore = before.softwareVersion;
    if (IRunObserver* observer = m_app.RunObserver()) observer->OnSystemFacts(false, before);
    const int tasks = CountTasks();
    bool result = progress.RunStarted(tasks > 1 ? tasks : 1, parentWindow);
    if (interrupt.ShouldStop()) return Finish(false, true);
    // The image is checked before the first command that changes the system.
    if (SendsImage() && !ImageCheck(m_app).Confirm()) return Finish(false, true);
    m_app.WriteLog(m_app.LoadUiString(189, "Starting update"), 0);
    ChangeSettings(result);
    if (interrupt.ShouldStop()) return Finish(false, true);
    RunTasks(result);
    return Finish(result, true);
}

void UpdateRun::RunTasks(bool& result) {
    const RunInterrupt& interrupt = m_app.Interrupt();
    // Before the first command that changes the system (the notice, a file, a restart).
    if (!CallGuard(m_app).MayGoOn("the update")) {
        result = false;
        return;
    }
    if (m_app.Job().tasks.updateSoftware) {
        UpdateSoftware(result);
    } else {
        if (m_app.Job().tasks.eraseFlash) EraseFlash(result);
        // A switch that failed half way is undone below, never with the settings. After the
        // operator's stop the settings stay unsent, but an erase run must not leave the system
        // in update mode.
        const bool stopped = interrupt.ShouldStop();
        if (!m_returnToNormal && !stopped && !Restart())
            result = false;
        else if (!m_returnToNormal && !stopped && SendsPassword())
            RemoveSettingsFileAfterRestart();
        if (!m_returnToNormal && stopped && m_app.Job().tasks.eraseFlash && !ReturnToNormalMode())
            result = false;
    }
    // Asked for update mode but never given an image: the system would wait there for ever.
    if (m_returnToNormal) {
        result = false;
        m_app.m_systemEndMode = NormalModeReturn(m_app).Run();
    }
}

void UpdateRun::ChangeSettings(bool& result) {
    if (!m_app.Job().tasks.changeSettings) return;
    ProgressProtocol progress(m_app);
    result =
        progress.TaskStarted(m_app.LoadUiString(251, "Change System Settings"), kStepTaskBytes) &&
        result;
    ProvisioningWriter(m_app.Job()).CollectSettingsLines();
    result = progress.TaskDone() && result;
}

void UpdateRun::NotifyUpdate() {
    if (!m_app.m_link->IsNormalMode()) return;
    const std::string user = platform::CurrentUserName();
    const std::string notice =
        m_app.LoadUiString(177, "Your system is in the process of being updated.") + "      {" +
        user + "}";
    if (m_app.Job().tasks.isdnUpdate) return;
    if (SystemWebClient(m_app).NotifySystem(notice)) m_app.Clock().Wait(milliseconds(5000));
}

void UpdateRun::UpdateSoftware(bool& result) {
    NotifyUpdate();
    if (!m_app.m_link->IsLoggedOn() && !SystemConnector(m_app).ConnectToSystem("", ""))
        result = false;
    if (result && !RetainBackup(m_app).WriteRetainRecord()) result = false;
    if (!m_app.Job().tasks.isdnUpdate && (!result || !SwitchToUpdateMode())) result = false;
    if (!result) return;
    SendImage(result);
}

bool UpdateRun::SwitchToUpdateMode() {
    // From SWUS on, a second stop request no longer ends the program at once: the run first
    // sends the system back to normal mode.
    // A call may have begun since the last look; SWUS restarts the system and would end it.
    if (!CallGuard(m_app).MayGoOn("the switch to update mode")) return false;
    m_exitHold.emplace();
    BootUiSwitch modeSwitch(m_app);
    const bool switched = modeSwitch.PutSystemIntoBootUI();
    m_returnToNormal = modeSwitch.LeftInUpdateMode();
    // The restart into update mode applied the settings file: its passwords need not stay.
    // The cleanup logs what it leaves behind; a file left there does not fail the run.
    if (switched && SendsPassword() && !m_app.Job().options.provision.empty())
        static_cast<void>(ProvisioningCleanup(m_app).RemoveIfApplied());
    return switched;
}

// The system took the whole image: it installs and restarts on its own from here, so it is no
// longer owed a return to normal mode, and a further stop request may end the program again.
void UpdateRun::NoteImageSent(bool sent) {
    if (!sent) return;
    m_returnToNormal = false;
    m_exitHold.reset();
}

void UpdateRun::SendImage(bool& result) {
    if (!m_app.Job().tasks.uploadImage) {
        // The operator asked for no image: nothing to send is not a failure, and the older
        // group's dummy file must not follow an image that was never sent.
        m_app.WriteLog(m_app.LoadUiString(215, "Not update the image"), 0);
        return;
    }
    const int type = m_app.Job().target.systemType;
    if (type < 0 || type >= ModelCatalogue::kRowCount) {
        m_app.WriteFailure(
            FailureCode::kUnknownModel,
            m_app.LoadUiString(205,
                               "Could not update system, do not know what type of system it is!"));
        result = false;
        return;
    }
    if (ModelCatalogue::IsSectionImageModel(type)) {
        const std::string& key = m_app.Catalogue().GetAt(type).MainImageEntry();
        ImageUploader uploader(m_app);
        result =
            uploader.PutMainImage(key, m_app.Job().tasks.isdnUpdate ? "IMAGE1" : "BRAMBLE", true);
        NoteImageSent(uploader.ImageSent());
        if (result && m_app.Job().options.verify)
            result = Verification(m_app).VerifyUpdate(milliseconds(kRebootWaitMs));
        else if (result)
            NoteUnchecked();
        return;
    }
    SendOlderGroupImage(result);
}

void UpdateRun::SendOlderGroupImage(bool& result) {
    ImageUploader uploader(m_app);
    const std::string& key =
        m_app.Catalogue().GetAt(m_app.Job().target.systemType).MainImageEntry();
    const bool image = uploader.PutMainImage(key, "IMAGE1", false);
    if (!image) {
        m_app.WriteFailure(FailureCode::kUploadFailed,
                           m_app.LoadUiString(237, "Put Image Failure"));
        // The dummy file only completes an image the system took; sent alone it would make
        // the system restart with nothing new, and the run would claim an update.
        result = false;
        return;
    }
    m_app.WriteLog(m_app.LoadUiString(236, "Put Image Success"), 0);
    m_app.Clock().Wait(milliseconds(15000));
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    // A missing dummy file is a failure, never an empty IMAGE0.
    const bool loaded = m_app.m_payloads.LoadPayload(kDummyPayload, &data, &size);
    result = loaded && m_app.m_link->UploadBuffer("IMAGE0", data, size,
                                                  m_app.Job().options.uploadTimeoutSeconds);
    m_app.m_payloads.Release();
    if (result)
        m_app.WriteLog(m_app.LoadUiString(288, "Put dummy file Success"), 0);
    else
        m_app.WriteFailure(FailureCode::kUploadFailed,
                           m_app.LoadUiString(289, "Put dummy file Failure"));
    NoteImageSent(result);  // the image is complete only with its dummy file
    if (result && m_app.Job().options.verify) {
        result = Verification(m_app).VerifyUpdate(milliseconds(kRebootWaitMs));
    } else if (result) {
        result = uploader.WaitForReboot(m_app.LoadUiString(179, "Waiting for Reboot"),
                                        kRebootWaitMs, true) &&
                 result;
        if (result) NoteUnchecked();
    }
}

// --no-verify: the system answers again, but nobody looked at its mode or version.
void UpdateRun::NoteUnchecked() {
    m_app.m_imageUnchecked = true;
    const std::string text =
        "Not verified (--no-verify): the system answers again; its mode and version were not "
        "checked";
    m_app.WriteLog(text, 0);
    if (IRunObserver* observer = m_app.RunObserver()) observer->OnVerification("not_run", text);
}

bool UpdateRun::RunTask(int nameId, const char* fallback, const std::function<void()>& work) {
    ProgressProtocol progress(m_app);
    bool answers = progress.TaskStarted(m_app.LoadUiString(nameId, fallback), kStepTaskBytes);
    work();
    answers = progress.TaskDone() && answers;
    return answers;
}

bool UpdateRun::LoggedOn() {
    return m_app.m_link &&
           (m_app.m_link->IsLoggedOn() || SystemConnector(m_app).ConnectToSystem("", ""));
}

void UpdateRun::EraseFlash(bool& result) {
    if (!LoggedOn() || !result || !SwitchToUpdateMode()) {
        result = false;
        return;
    }
    m_returnToNormal = false;  // in update mode: the erase path's own ending takes over
    const bool retained = AnyRetained();
    RetainBackup backup(m_app);
    bool backedUp = true;
    if (retained)
        result = RunTask(208, "Backup Files", [&] { backedUp = backup.BackupFiles(); }) && result;
    // Without a whole backup, or once the operator has cancelled or asked to stop, the flash is
    // not erased.
    if (!backedUp || !result || m_app.Interrupt().ShouldStop()) {
        backup.EndBackup(false);  // the system still holds every file
        if (!backedUp) RefuseErase();
        result = false;
        return;
    }
    // After an erase the files always go back, whatever the operator does (a stop waits for
    // the end of the restore); a file that does not makes the run fail, and the copies stay.
    RunInterrupt::CriticalSection erasing(m_app.Interrupt());
    bool erased = false;
    result = RunTask(252, "Erase Flash Memory", [&] { erased = Erase(); }) && result && erased;
    if (retained) {
        bool restored = false;
        result = RunTask(207, "Restore Files",
                         [&] {
                             // The erase may have ended the session; each file reconnects
                             // on its own if this fails.
                             static_cast<void>(LoggedOn());
                             restored = backup.RestoreFiles();
                         }) &&
                 result && restored;
        backup.EndBackup(!restored);
    }
    // The final BOOT must reach the system; without a session it fails the run there.
    static_cast<void>(LoggedOn());
}

bool UpdateRun::Erase() {
    return m_app.m_link->SendCommand("ERFL", nullptr, 1) == 200;
}

// Nothing was erased: the system goes back to normal mode at the final restart, as after a
// cancelled erase. A request for update mode still pending is withdrawn first.
void UpdateRun::RefuseErase() {
    const std::string text =
        "The system's files could not all be saved, so its flash memory was not erased. "
        "The system is restarted in normal mode; see the log for the reason.";
    m_app.WriteFailure(FailureCode::kBackupFailed, text);
    m_app.ShowMessage(text, m_app.LoadUiString(76, "Quillmarch"), MB_OK);
    // The final restart follows; a pending update-mode request would bring the system back
    // in update mode, waiting for an image nobody sends.
    if (!LoggedOn() || m_app.m_link->SendCommand("RSWU", nullptr, 1) != 200)
        m_app.WriteLog(
            "The system did not accept the withdrawal of update mode (RSWU); it may "
            "restart in update mode",
            0);
}

// The erase runs only without a software update (RunTasks): a job that asks for both would
// send the image and skip the erase while its summary promised one. Nothing is sent.
bool UpdateRun::RefuseEraseWithUpdate() {
    if (!m_app.Job().tasks.updateSoftware || !m_app.Job().tasks.eraseFlash) return false;
    const std::string text =
        "Erasing the flash memory and updating the software cannot be done in one run. "
        "Nothing was sent to the system.";
    m_app.WriteFailure(FailureCode::kFailed, text);
    m_app.ShowMessage(text, m_app.LoadUiString(76, "Quillmarch"), MB_OK);
    return true;
}

bool UpdateRun::LockSystem() {
    std::string error = "no private folder for the lock could be made";
    const std::string path = LockPath(error);
    if (!path.empty() && m_systemLock.TryLock(path, error)) return true;
    const std::string text = "Another run is updating the system " + m_app.Job().target.address +
                             ", or its lock cannot be taken (" + error +
                             "). Nothing was sent to the system.";
    m_app.WriteFailure(FailureCode::kSystemBusy, text);
    // A script running quietly sees it on stderr too: the run did nothing.
    if (m_app.Job().options.quiet) {
        m_app.TellOperator(text);
    } else {
        m_app.ShowMessage(text, m_app.LoadUiString(76, "Quillmarch"), MB_OK);
    }
    return false;
}

// One lock file per system address, in a private folder of the user's.
std::string UpdateRun::LockPath(std::string& why) const {
    std::string folder = m_app.m_lockFolder;
    if (folder.empty()) {
        const std::string cache = platform::UserCacheDirectory(why);
        if (cache.empty()) return {};
        folder = cache + platform::Separator() + "locks";
    }
    if (!platform::EnsurePrivateDirectory(folder)) return {};
    // Keyed on the system, not the spelling of its address. Longer names than a file system
    // takes share a lock: too careful, never too lax.
    const std::string name =
        address::LocalName(platform::SystemKey::Of(m_app.Job().target.address, kFtpPort))
            .substr(0, 200);
    return folder + platform::Separator() + name + ".lock";
}

bool UpdateRun::ReturnToNormalMode() {
    // The stop has already been honoured; these two commands must not be cut short by it.
    RunInterrupt::CriticalSection closing(m_app.Interrupt());
    m_app.WriteLog("Stopped: the system is restarted in normal mode", 0);
    if (!LoggedOn()) {
        m_app.WriteLog("Could not reach the system to restart it; it may still be in update mode",
                       0);
        return false;
    }
    DeviceLink& link = *m_app.m_link;
    const bool sent =
        link.SendCommand("RSWU", nullptr, 1) == 200 && link.SendCommand("BOOT", nullptr, 1) == 200;
    if (!sent) m_app.WriteLog("The system refused RSWU or BOOT; it may still be in update mode", 0);
    return sent;
}

bool UpdateRun::Restart() {
    const bool provisioned = ProvisioningWriter(m_app.Job(), m_app.m_link.get(), [this] {
                                 return SystemConnector(m_app).ConnectToSystem("", "");
                             }).WriteProvisioning();
    // A settings file that did not arrive is never applied: the chain of files stops at it,
    // and the restart only brings the system back with the settings it had.
    if (!provisioned)
        m_app.WriteFailure(FailureCode::kSettingsRefused,
                           "The system refused a settings file: its settings are not changed");
    const bool restarted = m_app.m_link && m_app.m_link->SendCommand("BOOT", nullptr, 1) == 200;
    if (!restarted)
        m_app.WriteFailure(FailureCode::kRestartRefused,
                           "The system did not accept the restart (BOOT)");
    return provisioned && restarted;
}

// The settings are applied at the restart after BOOT; once the system answers again, the file
// that carried the passwords goes. Its absence is no failure of the run: the log says so.
void UpdateRun::RemoveSettingsFileAfterRestart() {
    // The step's outcome is logged by the cleanup; a file left behind does not fail the run,
    // and the operator's answer to the step changes nothing any more.
    static_cast<void>(RunTask(-1, "Removing the settings file (it holds the new password)", [this] {
        if (m_app.m_link) m_app.m_link->Disconnect();  // the restart ends the session
        RestartWatch watch(m_app, RestartWatch::kUpdateModeLimit);
        while (!watch.Expired() && !m_app.Interrupt().ShouldStop()) {
            if (watch.PauseUntilBack(std::chrono::seconds(1)) ||
                (!watch.SeenAway() && watch.Elapsed() >= std::chrono::seconds(20)))
                break;
        }
        watch.LogWaited("the restart that applies the settings");
        // Without a session the cleanup logs that the file could not be reached.
        if (!watch.Expired() && !m_app.Interrupt().ShouldStop()) static_cast<void>(LoggedOn());
        static_cast<void>(ProvisioningCleanup(m_app).RemoveIfApplied());
    }));
}

bool UpdateRun::Finish(bool result, bool announceEnd) {
    // A stopped run is a failed one, whatever its last step answered.
    if (m_app.Interrupt().Requested()) {
        m_app.WriteFailure(FailureCode::kInterrupted, "interrupted");
        result = false;
    }
    m_app.WriteLog(std::string("#### DONE : ") + (result ? "success" : "failure"), 0);
    // The run's outcome is what the log says; the operator closing the finished window later
    // does not turn it into a failure.
    if (announceEnd) ProgressProtocol(m_app).RunEnded();
    m_app.CloseLog();
    if (m_app.m_link) m_app.m_link->Disconnect();
    return result;
}

}  // namespace quillmarch
