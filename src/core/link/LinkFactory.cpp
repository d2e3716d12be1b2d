#include "core/link/LinkFactory.h"

#include "core/link/CFTPBase.h"

namespace quillmarch {

// Replaced by the component links.
std::unique_ptr<CFTPBase> MakeComponentLink(CQuillmarch6App&, bool) { return nullptr; }

}  // namespace quillmarch
