// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QUrl>
#include <functional>
#include <string>

namespace quillmarch {

class RunContext;

// Help requests: puts the help page on disk and opens it in the desktop's browser at the
// section of the dialog that asked. A help id carries the asking dialog's template id in its
// low 16 bits; ids without a section get the top of the page.
class HelpLauncher {
public:
    using Opener = std::function<bool(const QUrl&)>;

    static constexpr unsigned kHelpContext = 1;       // the only command served
    static constexpr unsigned kHelpIdBase = 0x20000;  // dialog help ids: base + template id

    // Without an opener the process-wide one is used (the desktop's, unless replaced).
    explicit HelpLauncher(RunContext& app, Opener opener = {});

    void HandleHelpRequest(unsigned helpId, unsigned command);
    // Help for a dialog, as F1 or its Help button asks for it.
    void ShowHelpFor(int templateId) { HandleHelpRequest(kHelpIdBase + templateId, kHelpContext); }

    // Topic number of a dialog template; 0 when it has none.
    static int TopicForTemplate(int templateId);
    // The page's address, at the anchor "topic-N" when there is a topic.
    static QUrl HelpUrl(const std::string& path, int topic);

    // Replaces the process-wide opener; an empty one restores the desktop's. Tests use it so
    // that no browser opens.
    static void SetDefaultOpener(Opener opener);

private:
    RunContext& m_app;
    Opener m_opener;
};

}  // namespace quillmarch
