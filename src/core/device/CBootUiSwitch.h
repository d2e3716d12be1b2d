#pragma once

namespace quillmarch {

class CQuillmarch6App;
class CFTPBase;

// Switches the system into its update mode (BOOTUI): SWUS, restart, reconnect, check; sends it
// back to normal mode when the run was stopped after it got there.
class CBootUiSwitch {
public:
    explicit CBootUiSwitch(CQuillmarch6App& app) : m_app(app) {}
    bool PutSystemIntoBootUI();

private:
    bool SwitchWithImage();
    void RefreshGateway(CFTPBase& link);
    bool RestartAndReconnect();
    int PauseBeforeAttempt();
    bool CheckModeAfterRestart();
    bool GiveUp();
    void RevertToNormalMode();
    bool Report(int percent);
    void Log(int id, const char* fallback);

    CQuillmarch6App& m_app;
    // Running AND of the progress answers: false once the operator stopped the run.
    bool m_bRun = true;
};

}  // namespace quillmarch
