// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
    // Between an erase and its restore, or while a system is brought back from update mode,
    // the run ends on its own once the system is safe; only SIGKILL cuts that short.
    if (RunInterrupt::ExitHeld()) return true;
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
struct sigaction g_previousHup {};
#endif

}  // namespace

void SignalScope::IgnoreBrokenPipes() {
#ifndef _WIN32
    // A reader that goes away (`| head`, a closed terminal) must not end a run half way: the
    // write fails instead, and the log and the report are still written.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
#endif
}

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
    // A closed terminal or a dropped SSH session is a stop like SIGTERM, not an abrupt end.
    sigaction(SIGHUP, &action, &g_previousHup);
#endif
}

SignalScope::~SignalScope() {
#ifdef _WIN32
    SetConsoleCtrlHandler(&OnConsoleEvent, FALSE);
#else
    sigaction(SIGINT, &g_previousInt, nullptr);
    sigaction(SIGTERM, &g_previousTerm, nullptr);
    sigaction(SIGHUP, &g_previousHup, nullptr);
#endif
    g_pInterrupt = nullptr;
    g_pSecond = nullptr;
    g_bScopeEnded = true;
}

}  // namespace quillmarch
