#pragma once

#include <cstdint>
#include <string>

namespace quillmarch {

// Progress messages between the engine and the progress window.
constexpr unsigned UM_PROGRESS_CAPTION = 1025;
constexpr unsigned UM_PROGRESS_RUN = 1026;
constexpr unsigned UM_PROGRESS_TASK_START = 1027;
constexpr unsigned UM_PROGRESS_TASK_PERCENT = 1028;
constexpr unsigned UM_PROGRESS_TASK_DONE = 1029;
constexpr unsigned UM_PROGRESS_CLOSE = 1030;
constexpr unsigned UM_PROGRESS_PING = 1031;
constexpr unsigned UM_PROGRESS_BYTES = 1032;
constexpr unsigned UM_PROGRESS_ENDED = 1034;

// Window states a send answers with.
constexpr int PROGRESS_STATE_GONE = 0;
constexpr int PROGRESS_STATE_RUNNING = 1;
constexpr int PROGRESS_STATE_CLOSED = 2;

// One message. Texts travel by value (the caption, a task name, a replacement task name); the
// numeric parameters keep their window-message meaning.
struct SProgressMessage {
    unsigned id = 0;
    std::int64_t wParam = 0;
    std::int64_t lParam = 0;
    std::string text;
    bool hasText = false;
};

// The progress window as the engine sees it. Send blocks until the window has handled the
// message and answers its state; Post returns at once (byte counts, close at exit).
class IProgressWindow {
public:
    virtual ~IProgressWindow() = default;
    virtual int Send(const SProgressMessage& message) = 0;
    virtual void Post(const SProgressMessage& message) = 0;
};

}  // namespace quillmarch
