// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace quillmarch {

// The GUI library is static: its compiled-in images are registered on first use, so that
// every executable linking it (the program and each GUI test) finds them.
void EnsureGuiResources();

// Resource path of a numbered bitmap ("bitmap-172.png") and of the program icon (128).
QString BitmapResourcePath(int id);
QString ProgramIconPath();

}  // namespace quillmarch
