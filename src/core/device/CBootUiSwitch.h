#pragma once

namespace quillmarch {

class CQuillmarch6App;

// Switches the system into its update mode (BOOTUI): SWUS, restart, reconnect, check; sends it
// back to normal mode when the run was stopped after it got there.
class CBootUiSwitch {
public:
    explicit CBootUiSwitch(CQuillmarch6App& app) : m_app(app) {}
    bool PutSystemIntoBootUI();

private:
    CQuillmarch6App& m_app;
};

}  // namespace quillmarch
