#pragma once

#include <memory>

namespace quillmarch {

class CFTPBase;
class CQuillmarch6App;

// The links on the built-in FTP component: CFTPSecure when `secure`, else CFTPNonSecure.
// Null when the component cannot be set up (libcurl missing a protocol, say).
std::unique_ptr<CFTPBase> MakeComponentLink(CQuillmarch6App& app, bool secure);

}  // namespace quillmarch
