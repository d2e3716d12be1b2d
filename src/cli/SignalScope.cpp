#include "cli/SignalScope.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

#include "core/run/RunInterrupt.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace quillmarch {

namespace {

std::atomic<RunInterrupt*> g_pInterrupt{nullptr};
std::atomic<RunInterrupt*> g_pSecond{nullptr};
std::atomic<bool> g_bScopeEnded{false};

static_assert(std::atomic<RunInterrupt*>::is_always_lock_free);

// Answers false when no run listens.
bool RequestStop(int signalNumber) {
    RunInterrupt* interrupt = g_pInterrupt.load();
    if (interrupt == nullptr) return false;
    if (!interrupt->Request(signalNumber)) return true;
    RunInterrupt* second = g_pSecond.load();
    if (second != nullptr && !second->Request(signalNumber)) return true;
    std::_Exit(128 + signalNumber);  // the last request the program listens to
}

#ifdef _WIN32
BOOL WINAPI OnConsoleEvent(DWORD event) {
    const int signalNumber =
        event == CTRL_C_EVENT ? SignalScope::kInterrupt : SignalScope::kTerminate;
    if (!RequestStop(signalNumber)) return FALSE;
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // Windows ends the process when this handler returns: give the run the few seconds
        // Windows allows to write its last records.
        for (int i = 0; i < 45 && !g_bScopeEnded.load(); ++i) Sleep(100);
    }
    return TRUE;
}
#else
extern "C" void OnSignal(int signalNumber) {
    if (!RequestStop(signalNumber)) {
        signal(signalNumber, SIG_DFL);
        raise(signalNumber);
    }
}

struct sigaction g_previousInt {};
struct sigaction g_previousTerm {};
#endif

}  // namespace

SignalScope::SignalScope(RunInterrupt& interrupt, RunInterrupt* second) {
    g_bScopeEnded = false;
    g_pSecond = second;
    g_pInterrupt = &interrupt;
#ifdef _WIN32
    SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &g_previousInt);
    sigaction(SIGTERM, &action, &g_previousTerm);
#endif
}

SignalScope::~SignalScope() {
#ifdef _WIN32
    SetConsoleCtrlHandler(&OnConsoleEvent, FALSE);
#else
    sigaction(SIGINT, &g_previousInt, nullptr);
    sigaction(SIGTERM, &g_previousTerm, nullptr);
#endif
    g_pInterrupt = nullptr;
    g_pSecond = nullptr;
    g_bScopeEnded = true;
}

}  // namespace quillmarch
