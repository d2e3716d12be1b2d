#include "core/link/LinkFactory.h"

#include "core/link/CFTPNonSecure.h"
#include "core/link/CFTPSecure.h"
#include "core/link/CFtpComponent.h"

namespace quillmarch {

std::unique_ptr<CFTPBase> MakeComponentLink(CQuillmarch6App& app, bool secure) {
    if (!CFtpComponent::IsAvailable(secure)) return nullptr;
    if (secure) return std::make_unique<CFTPSecure>(app);
    return std::make_unique<CFTPNonSecure>(app);
}

}  // namespace quillmarch
