#include "cli/CTerminalProgressFactory.h"

#include "cli/CTerminalProgressWindow.h"

namespace quillmarch {

CTerminalProgressFactory::CTerminalProgressFactory(IClock& clock, std::FILE* stream)
    : m_clock(clock), m_pStream(stream) {}

std::shared_ptr<IProgressWindow> CTerminalProgressFactory::Start() {
    return std::make_shared<CTerminalProgressWindow>(m_pStream, m_clock);
}

}  // namespace quillmarch
