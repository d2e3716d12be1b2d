// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string>

namespace quillmarch {

class RunContext;

// The two questions put to the system's web server: is it in a call, and please show a
// notice on the screen. The web server's use is checked through the device link first, so the
// link must be logged on.
class SystemWebClient {
public:
    enum Verb { kPost = 0, kGet = 1 };

    explicit SystemWebClient(RunContext& app) : m_app(app) {}

    [[nodiscard]] bool HttpRequestToSystem(const std::string& objectName, std::string& response,
                                           const std::string& headerText, const std::string& body,
                                           Verb verb);
    [[nodiscard]] bool IsSystemInCall();
    // Whether the system is in a call; nothing when its web server did not answer.
    [[nodiscard]] std::optional<bool> CallState();
    [[nodiscard]] bool NotifySystem(const std::string& message);

    // The call state from a confstatus.xml response: its LINESPEED above 0.
    [[nodiscard]] static bool LineSpeedShowsCall(const std::string& response);
    // "message=%s\r\n" with every space as "+".
    static std::string NotificationBody(const std::string& message);
    // The port a webaccessport.dat text names: the decimal digits after leading white space;
    // 80 when there are none or they name no port (0, above 65535).
    [[nodiscard]] static int PortFromText(const std::string& text);

private:
    // False, after logging it, when webenabled.dat says "False"; an unreadable file allows.
    [[nodiscard]] bool WebServerEnabled();
    // The plain link's web port: webaccessport.dat when it can be read, else 80.
    [[nodiscard]] int PlainWebPort();

    RunContext& m_app;
};

}  // namespace quillmarch
