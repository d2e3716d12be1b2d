#include "core/link/CFTPNonSecure.h"

namespace quillmarch {

CFTPNonSecure::CFTPNonSecure(CQuillmarch6App& app) : CComponentLink(app, false) {}

}  // namespace quillmarch
