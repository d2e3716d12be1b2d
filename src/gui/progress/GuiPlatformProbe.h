// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch {

// Whether a QApplication can start here. Qt ends the process when its platform plugin cannot
// be loaded or cannot open the display; a command-line run asks first and keeps to the
// terminal progress display instead.
class GuiPlatformProbe {
public:
    // The first platform that can start: from QT_QPA_PLATFORM (which may list several), else
    // Wayland in a Wayland session and X11. Usable means its plugin is installed and, for X11,
    // the display opens. Empty when none can, with the reason.
    static std::string ChoosePlatform(std::string* reason = nullptr);
    // Chooses a platform and, when QT_QPA_PLATFORM is unset, pins the choice there so that Qt
    // starts on exactly the platform that was checked. False (with the reason) when none can.
    static bool PrepareStart(std::string* reason = nullptr);

private:
    static bool PlatformUsable(const std::string& platform, std::string* reason);
    static bool PluginInstalled(const std::string& platform);
    static bool X11DisplayOpens();
};

}  // namespace quillmarch
