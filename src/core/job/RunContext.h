// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/catalogue/ImageCatalogue.h"
#include "core/catalogue/ModelCatalogue.h"
#include "core/catalogue/PayloadLoader.h"
#include "core/job/UpdateJob.h"
#include "core/link/DeviceLink.h"
#include "core/log/UpdateLog.h"
#include "core/pack/ImagePack.h"
#include "core/progress/IProgressWindowFactory.h"
#include "core/run/FailureCode.h"
#include "core/run/IRunObserver.h"
#include "core/run/RunInterrupt.h"
#include "core/run/SystemEndMode.h"
#include "core/ui/IMessageBox.h"
#include "core/util/IClock.h"

namespace quillmarch {

// How start-up left the program: what the command-line run does next.
enum class StartupState {
    kNoArguments,     // wizard mode (or usage without a display)
    kReady,           // job and log in place
    kBadCommandLine,  // refused before anything was sent
    kNoLog,           // no log anywhere: the system must not be touched
    kLogBusy,         // another run writes this log
    kLogRefused,      // the log names a device, a pipe, a link or a file of someone else's
};

struct StartupResult {
    StartupState state = StartupState::kNoArguments;
    std::string message;  // why, for the operator, when not ready
};

// The run context: one update job and the services every part of its run reaches through it. No
// globals: tests build their own application with fake services.
class RunContext {
public:
    using LinkFactory = std::function<std::unique_ptr<DeviceLink>(RunContext&, bool secure)>;
    // Finds the password of a command line that gave none with -p: (a file, the environment,
    // a prompt); false with the reason when it cannot. Asked before the log is opened.
    using PasswordSource = std::function<bool(RunContext&, std::string& error)>;

    // `sharedCatalogue`: a built model table another context reads too; null: this context
    // builds its own at start-up.
    RunContext(IClock& clock, IMessageBox& messageBox,
               std::shared_ptr<const ModelCatalogue> sharedCatalogue = nullptr);
    ~RunContext();
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

    // Start-up up to the choice of run mode: catalogue, image presence, the arguments after the
    // program's name, the log when there are arguments, a plain link.
    StartupResult Startup(const std::vector<std::string>& args);

    // --- the job ------------------------------------------------------------------------------
    UpdateJob& Job() { return m_job; }
    const UpdateJob& Job() const { return m_job; }

    // --- this run's state ------------------------------------------------------------------
    bool m_updateRunning = false;
    // --no-verify: an image was sent and the run succeeded without checking the system after.
    bool m_imageUnchecked = false;
    std::unique_ptr<DeviceLink> m_link;
    std::array<bool, ModelCatalogue::kRowCount> m_imagePresent{};
    std::shared_ptr<IProgressWindow> m_progressWnd;
    std::string m_logPath;
    // Folder of the per-system run locks; empty: <user cache>/locks (tests use their own).
    std::string m_lockFolder;
    // Where the run left the system once it had asked for update mode.
    SystemEndMode m_systemEndMode = SystemEndMode::kUntouched;

    // Folder-bearing path the work directories hang off (the help-file path of the program).
    std::string m_helpFilePath;

    // --- services ---------------------------------------------------------------------------
    // The model table: only read once built, so several contexts (threads) may share one.
    const ModelCatalogue& Catalogue() const { return *m_catalogue; }
    std::shared_ptr<const ModelCatalogue> SharedCatalogue() const { return m_catalogue; }
    // Builds this context's own table (start-up does); nothing for a shared one.
    void BuildCatalogue();
    bool OutputPlacesUsable(std::string& error) const;

private:
    // Declared before the image catalogue, which reads the model table.
    std::shared_ptr<ModelCatalogue> m_ownCatalogue;  // null when shared
    std::shared_ptr<const ModelCatalogue> m_catalogue;

public:
    PayloadLoader m_payloads;
    ImageCatalogue m_imageCatalogue;
    ImagePack m_pack;
    UpdateLog m_log;
    IClock& Clock() { return m_clock; }
    IMessageBox& MessageBox() { return m_messageBox; }
    void SetProgressWindowFactory(IProgressWindowFactory* factory) { m_progressFactory = factory; }
    IProgressWindowFactory* ProgressWindowFactory() const { return m_progressFactory; }
    void SetLinkFactory(LinkFactory factory) { m_linkFactory = std::move(factory); }
    void SetPasswordSource(PasswordSource source) { m_passwordSource = std::move(source); }
    // The operator's request to stop; the signal handler and the link see the same object.
    RunInterrupt& Interrupt() { return m_interrupt; }
    const RunInterrupt& Interrupt() const { return m_interrupt; }
    // Where notes for the operator go (stderr unless replaced; tests capture them).
    void SetConsole(std::function<void(const std::string&)> console) {
        m_console = std::move(console);
    }
    // Whether the system answers at its address (--verify); null: a TCP connection is tried.
    using SystemProbeFn = std::function<bool()>;
    void SetSystemProbe(SystemProbeFn probe) { m_systemProbe = std::move(probe); }
    const SystemProbeFn& SystemProbe() const { return m_systemProbe; }
    // Sees every log record and progress task (the run's report); null for none.
    void SetRunObserver(IRunObserver* observer) { m_runObserver = observer; }
    IRunObserver* RunObserver() const { return m_runObserver; }
    // The clock's scale of every fixed wait; anything but 1 is announced in the log.
    void SetTimeScale(double scale) { m_timeScale = scale; }
    double TimeScale() const { return m_timeScale; }

    // --- operations ---------------------------------------------------------------------------
    std::string LoadUiString(int id, const std::string& fallback) const;
    // Quiet run: logs "MessageBox(text)" and answers OK; otherwise shows the box.
    int ShowMessage(const std::string& text, const std::string& caption, unsigned style);
    void WriteLog(const std::string& text, int level = 0);
    // A record that tells why the run fails: logged as any other, and handed to the observer
    // with its code, which is what the report and the exit code go by.
    void WriteFailure(FailureCode code, const std::string& record);
    // One line for the operator on the console, whatever the run mode.
    void TellOperator(const std::string& text);
    // False when no log could be opened anywhere (m_log says why).
    bool StartLog(const std::string& path);
    // After the "Could not connect to system" record: the reason in plain words, in the log and,
    // in a run that is not quiet, on the console.
    void ReportConnectFailure();
    void CloseLog();
    void WriteOptionDump();
    bool CreateLink(bool secure);
    // Opens the pack the job names (else the payload folder) and records which images exist.
    void OpenImagePack();
    void RecordImagePresence();
    bool ImagePresent(int row) const;
    int FirstRowWithImage() const;

private:
    UpdateJob m_job;
    IClock& m_clock;
    IMessageBox& m_messageBox;
    IProgressWindowFactory* m_progressFactory = nullptr;
    PasswordSource m_passwordSource;
    LinkFactory m_linkFactory;
    RunInterrupt m_interrupt;
    std::function<void(const std::string&)> m_console;
    IRunObserver* m_runObserver = nullptr;
    SystemProbeFn m_systemProbe;
    double m_timeScale = 1.0;
};

}  // namespace quillmarch
