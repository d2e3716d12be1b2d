// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <atomic>

namespace quillmarch {

// An operator's request to stop a run (Ctrl+C, SIGTERM, Ctrl+Break, console close). The signal
// handler only stores into atomics; the run asks ShouldStop at its safe points. Code that must
// not be left half done (a flash erase and the restore after it) holds a CriticalSection, so a
// request waits until the section ends.
class RunInterrupt {
public:
    // Holds off ShouldStop while it lives. Sections nest.
    class CriticalSection {
    public:
        explicit CriticalSection(RunInterrupt& interrupt);
        ~CriticalSection();
        CriticalSection(const CriticalSection&) = delete;
        CriticalSection& operator=(const CriticalSection&) = delete;

    private:
        RunInterrupt& m_interrupt;
    };

    // Async-signal-safe. The first request's signal number is kept; answers true when a request
    // had already been made (the handler then ends the program at once).
    bool Request(int signalNumber) noexcept;
    [[nodiscard]] bool Requested() const noexcept { return m_requested.load(); }
    // The signal of the first request, 0 when none.
    [[nodiscard]] int Signal() const noexcept { return m_signal.load(); }
    [[nodiscard]] bool InCriticalSection() const noexcept { return m_critical.load() > 0; }
    [[nodiscard]] bool ShouldStop() const noexcept { return Requested() && !InCriticalSection(); }
    // True while any run of the process holds a critical section or an exit hold: a further
    // stop request must then not end the program, or a system would be left erased or in
    // update mode. Async-signal-safe.
    [[nodiscard]] static bool ExitHeld() noexcept { return s_exitHolds.load() > 0; }
    // Exit code of an interrupted run: 128 + the signal (130 for SIGINT, 143 for SIGTERM).
    [[nodiscard]] int ExitCode() const noexcept { return 128 + Signal(); }

    // Keeps a further request from ending the program at once while it lives (the run is
    // bringing a system back to normal mode), without holding off ShouldStop. Holds nest.
    class ExitHold {
    public:
        ExitHold() noexcept { s_exitHolds.fetch_add(1); }
        ~ExitHold() { s_exitHolds.fetch_sub(1); }
        ExitHold(const ExitHold&) = delete;
        ExitHold& operator=(const ExitHold&) = delete;
    };

private:
    static inline std::atomic<int> s_exitHolds{0};
    std::atomic<bool> m_requested{false};
    std::atomic<int> m_signal{0};
    std::atomic<int> m_critical{0};

    static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
                  "a signal handler may only touch lock-free atomics");
};

}  // namespace quillmarch
