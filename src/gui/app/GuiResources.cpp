// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/app/GuiResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitQuillmarchResources() {
    Q_INIT_RESOURCE(quillmarch);
}

namespace quillmarch {

void EnsureGuiResources() {
    static const bool registered = [] {
        InitQuillmarchResources();
        return true;
    }();
    (void)registered;
}

QString BitmapResourcePath(int id) {
    return QStringLiteral(":/images/bitmap-%1.png").arg(id);
}

QString ProgramIconPath() {
    return QStringLiteral(":/images/icon-128.png");
}

}  // namespace quillmarch
