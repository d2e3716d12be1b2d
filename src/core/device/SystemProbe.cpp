// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/device/SystemProbe.h"

#include <curl/curl.h>

#include "core/job/RunContext.h"
#include "core/link/CurlOptions.h"
#include "core/util/AddressNames.h"

namespace quillmarch {

namespace {

// The host as a URL names it: IPv6 in brackets, a zone's "%" escaped.
std::string UrlHost(const std::string& host) {
    if (host.find(':') == std::string::npos) return host;
    std::string escaped;
    for (const char c : host) escaped += c == '%' ? std::string("%25") : std::string(1, c);
    return "[" + escaped + "]";
}

}  // namespace

bool SystemProbe::Answers(RunContext& app) {
    if (const auto& probe = app.SystemProbe()) return probe();
    const bool secure = app.m_link && app.m_link->IsSecure();
    return Answers(app.Job().target.address, secure, kConnectTimeout);
}

bool SystemProbe::Answers(const std::string& address, bool secure,
                          std::chrono::milliseconds timeout) {
    const address::HostPort split = address::SplitHostPort(address::Normalise(address));
    if (!split.valid || split.host.empty()) return false;
    const int port = split.port != 0 ? split.port : secure ? 990 : 21;
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    // An HTTP URL with CONNECT_ONLY is a bare TCP connection: no protocol byte is sent.
    const std::string url = "http://" + UrlHost(split.host) + ":" + std::to_string(port) + "/";
    // A refused option would probe with libcurl's defaults (a proxy, no bound): no answer then.
    const bool configured = CurlOptions(curl)
                                .Set(CURLOPT_URL, url.c_str())
                                .Set(CURLOPT_CONNECT_ONLY, 1L)
                                .Set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout.count()))
                                .Set(CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()))
                                .Set(CURLOPT_NOSIGNAL, 1L)
                                .Set(CURLOPT_PROXY, "")
                                .Set(CURLOPT_NOPROXY, "*")
                                .Ok();
    const CURLcode code = configured ? curl_easy_perform(curl) : CURLE_UNKNOWN_OPTION;
    curl_easy_cleanup(curl);
    return code == CURLE_OK;
}

}  // namespace quillmarch
