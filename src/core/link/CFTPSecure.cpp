#include "core/link/CFTPSecure.h"

namespace quillmarch {

CFTPSecure::CFTPSecure(CQuillmarch6App& app) : CComponentLink(app, true) {
    CFtpComponent::SetRemotePort(990);  // implicit TLS
}

}  // namespace quillmarch
