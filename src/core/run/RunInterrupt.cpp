// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/run/RunInterrupt.h"

namespace quillmarch {

RunInterrupt::CriticalSection::CriticalSection(RunInterrupt& interrupt) : m_interrupt(interrupt) {
    m_interrupt.m_critical.fetch_add(1);
    s_exitHolds.fetch_add(1);
}

RunInterrupt::CriticalSection::~CriticalSection() {
    s_exitHolds.fetch_sub(1);
    m_interrupt.m_critical.fetch_sub(1);
}

bool RunInterrupt::Request(int signalNumber) noexcept {
    int none = 0;
    m_signal.compare_exchange_strong(none, signalNumber);
    return m_requested.exchange(true);
}

}  // namespace quillmarch
