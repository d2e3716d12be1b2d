#include "core/link/SecureLink.h"

namespace quillmarch {

SecureLink::SecureLink(RunContext& app) : SessionLink(app, true) {
    FtpSession::SetRemotePort(990);  // implicit TLS
}

}  // namespace quillmarch
