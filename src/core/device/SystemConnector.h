// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quillmarch {

class RunContext;

// Logs on to the system as the administrator and works out which model it is.
class SystemConnector {
public:
    explicit SystemConnector(RunContext& app) : m_app(app) {}
    // An empty address reconnects with the stored address and password. True when the link is
    // logged on at the end.
    [[nodiscard]] bool ConnectToSystem(const std::string& address, const std::string& password);

private:
    // Folds a lower-cased text into the job's system type.
    void Identify(const std::string& text);

    RunContext& m_app;
};

}  // namespace quillmarch
