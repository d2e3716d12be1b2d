#pragma once

#include "core/link/CComponentLink.h"

namespace quillmarch {

// FTP over implicit TLS: port 990 unless the address names another; the system's certificate
// is accepted whatever its status.
class CFTPSecure : public CComponentLink {
public:
    explicit CFTPSecure(CQuillmarch6App& app);
};

}  // namespace quillmarch
