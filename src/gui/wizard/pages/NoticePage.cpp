// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/pages/NoticePage.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/wizard/WizardSheet.h"

namespace quillmarch {

NoticePage::NoticePage(RunContext& app, QWidget* parent)
    : WizardPage(app, kTemplateId, kSideBitmapId, parent) {
    setObjectName(QStringLiteral("pageInfoAlert"));
    SetHeader(tr("Before you start"),
              tr("A notice on what to do on the system once the update is done."));
    // The note is part of the page itself, not of the UI string tables.
    m_note = new QLabel(
        QStringLiteral("Note: If this system is registered to a Tessary HLM server, you must "
                       "disable registration to any other directory servers after this "
                       "update is complete."),
        this);
    m_note->setObjectName(QStringLiteral("labelNote"));
    m_note->setWordWrap(true);
    Content()->addSpacing(20);
    Content()->addWidget(m_note);
    Content()->addStretch(1);
}

void NoticePage::PageCreated() {
    LoadSideBitmap();
}

}  // namespace quillmarch
