#pragma once

#include "cli/GuiHooks.h"

namespace quillmarch {

// The GUI library's entry points for the executable.
GuiHooks MakeGuiHooks();

}  // namespace quillmarch
