#include "core/link/PlainLink.h"

namespace quillmarch {

PlainLink::PlainLink(RunContext& app) : SessionLink(app, false) {}

}  // namespace quillmarch
