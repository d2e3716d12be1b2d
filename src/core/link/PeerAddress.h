// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <curl/curl.h>

#include <string>

// Which host is at the other end of a connection, for the check that the data connection of
// an active-mode transfer comes from the system the control connection talks to.
namespace quillmarch::peer {

// The numeric address of a connected socket's peer ("192.0.2.7", "fe80::1"); empty when the
// socket has none.
std::string SocketPeer(curl_socket_t socket);

// True when both numeric addresses name the same host: zones ("%eth0") are ignored and an
// IPv4-mapped IPv6 address equals its IPv4 form. Anything unparsable is never the same.
[[nodiscard]] bool SameHost(const std::string& a, const std::string& b);

}  // namespace quillmarch::peer
