#pragma once

#include "core/link/CComponentLink.h"

namespace quillmarch {

// Plain FTP: port 21 unless the address names another.
class CFTPNonSecure : public CComponentLink {
public:
    explicit CFTPNonSecure(CQuillmarch6App& app);
};

}  // namespace quillmarch
