#pragma once

#include <cstdint>
#include <string>

namespace quillmarch {

class RunContext;

// The engine's side of the progress window: starting it, and the one call every progress
// message goes through, which turns a closed or missing window into a cancellation.
class ProgressProtocol {
public:
    explicit ProgressProtocol(RunContext& app) : m_app(app) {}

    // Starts the window (when the application has a window factory) and sends the caption.
    void StartProgressWindow();
    // True while the run may go on.
    bool SendProgress(unsigned message, std::int64_t wParam = 0, std::int64_t lParam = 0);
    // The same with a text: the task name of a task start, or the replacement name of a
    // percentage.
    bool SendProgress(unsigned message, std::int64_t wParam, std::int64_t lParam,
                      const std::string& text);

private:
    bool Send(unsigned message, std::int64_t wParam, std::int64_t lParam, const std::string* text);

    RunContext& m_app;
};

}  // namespace quillmarch
