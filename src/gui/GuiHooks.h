#pragma once

#include "cli/SGuiHooks.h"

namespace quillmarch {

// The GUI library's entry points for the executable.
SGuiHooks MakeGuiHooks();

}  // namespace quillmarch
