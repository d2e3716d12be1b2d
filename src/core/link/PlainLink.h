#pragma once

#include "core/link/SessionLink.h"

namespace quillmarch {

// Plain FTP: port 21 unless the address names another.
class PlainLink : public SessionLink {
public:
    explicit PlainLink(RunContext& app);
};

}  // namespace quillmarch
