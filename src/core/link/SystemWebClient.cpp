// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/link/SystemWebClient.h"

#include <curl/curl.h>

#include <cctype>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "core/job/RunContext.h"
#include "core/link/CurlOptions.h"
#include "core/util/AddressNames.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

namespace {

constexpr int kDefaultHttpPort = 80;
constexpr int kHttpsPort = 443;
constexpr int kMaxPort = 65535;
// The system answers on the local network within moments; these only bound a dead peer.
constexpr long kConnectTimeoutSeconds = 10;
constexpr long kTotalTimeoutSeconds = 30;
// The status page is a few hundred bytes; anything far larger is not the system.
constexpr std::size_t kMaxResponseBytes = std::size_t{1024} * 1024;
constexpr std::string_view kOpenTag = "<LINESPEED>";
constexpr std::string_view kCloseTag = "</LINESPEED>";
constexpr const char* kHttpUser = "Admin";
constexpr const char* kUserAgent = "Quillmarch";

void InitCurlOnce() {
    // libcurl counts its initialisations, so the FTP component may call it as well.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// A carriage return or line feed in the request line would start a header of its own.
std::string WithoutLineBreaks(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

// The header text's lines, each one request header; blank lines carry nothing.
std::vector<std::string> HeaderLines(const std::string& headerText) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= headerText.size()) {
        std::size_t end = headerText.find('\n', start);
        if (end == std::string::npos) end = headerText.size();
        std::string line = WithoutLineBreaks(headerText.substr(start, end - start));
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

struct CurlFree {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    void operator()(char* text) const { curl_free(text); }
};
template <typename T>
using CurlPtr = std::unique_ptr<T, CurlFree>;

// The URL of an object on the system: the host of the address as entered (its FTP port
// dropped), brackets around an IPv6 host. Empty when libcurl finds no valid URL in it.
std::string RequestUrl(bool secure, const std::string& address, int port,
                       const std::string& objectName) {
    std::string host = address::SplitHostPort(address).host;
    if (host.find(':') != std::string::npos) host = "[" + host + "]";
    const std::string path = "/" + WithoutLineBreaks(objectName);
    const std::string portText = std::to_string(port);
    CurlPtr<CURLU> url(curl_url());
    if (!url || host.empty() ||
        curl_url_set(url.get(), CURLUPART_SCHEME, secure ? "https" : "http", 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_HOST, host.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PORT, portText.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PATH, path.c_str(), 0) != CURLUE_OK)
        return {};
    char* raw = nullptr;
    if (curl_url_get(url.get(), CURLUPART_URL, &raw, 0) != CURLUE_OK) return {};
    const CurlPtr<char> text(raw);
    return raw;
}

struct HttpRequest {
    std::string url;
    std::vector<std::string> headers;
    const std::string& body;
    bool post;
    std::string password;
};

std::size_t AppendBody(char* data, std::size_t size, std::size_t count, void* sink) {
    auto* text = static_cast<std::string*>(sink);
    const std::size_t bytes = size * count;
    if (bytes > kMaxResponseBytes - text->size()) return 0;  // ends the transfer as an error
    text->append(data, bytes);
    return bytes;
}

CURLcode Configure(CURL* curl, const HttpRequest& request, const curl_slist* headers,
                   bool verifyPeer, std::string& sink) {
    CurlOptions options(curl);
    options.Set(CURLOPT_URL, request.url.c_str());
    options.Set(CURLOPT_NOSIGNAL, 1L);
    // The system sits on the local network: a proxy from the environment must not catch it.
    options.Set(CURLOPT_PROXY, "");
    options.Set(CURLOPT_NOPROXY, "*");
    options.Set(CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    options.Set(CURLOPT_TIMEOUT, kTotalTimeoutSeconds);
    options.Set(CURLOPT_FOLLOWLOCATION, 0L);
    options.Set(CURLOPT_USERAGENT, kUserAgent);
    options.Set(CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    options.Set(CURLOPT_USERNAME, kHttpUser);
    options.Set(CURLOPT_PASSWORD, request.password.c_str());
    options.Set(CURLOPT_SSL_VERIFYPEER, verifyPeer ? 1L : 0L);
    options.Set(CURLOPT_SSL_VERIFYHOST, verifyPeer ? 2L : 0L);
    // A header of the caller's naming (Content-Length among them) replaces libcurl's own.
    options.Set(CURLOPT_HTTPHEADER, headers);
    options.Set(CURLOPT_WRITEFUNCTION, &AppendBody);
    options.Set(CURLOPT_WRITEDATA, &sink);
    if (request.post) {
        options.Set(CURLOPT_POST, 1L);
        options.Set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        options.Set(CURLOPT_POSTFIELDS, request.body.data());
    } else {
        options.Set(CURLOPT_HTTPGET, 1L);
    }
    return options.Result();
}

// One send. On success the answer's status and body; the body stays out of the response
// unless the transfer completed.
CURLcode SendOnce(const HttpRequest& request, bool verifyPeer, long& status,
                  std::string& response) {
    CurlPtr<CURL> curl(curl_easy_init());
    if (!curl) return CURLE_FAILED_INIT;
    CurlPtr<curl_slist> headers;
    for (const std::string& line : request.headers) {
        curl_slist* longer = curl_slist_append(headers.get(), line.c_str());
        if (longer == nullptr) return CURLE_OUT_OF_MEMORY;
        static_cast<void>(headers.release());
        headers.reset(longer);
    }
    std::string received;
    if (const CURLcode refused =
            Configure(curl.get(), request, headers.get(), verifyPeer, received);
        refused != CURLE_OK)
        return refused;
    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK) return code;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    response += received;
    return CURLE_OK;
}

// The failures a retry without certificate checks can cure: a certificate nobody vouches
// for, or no trust store to vouch with.
bool UntrustedCertificate(CURLcode code) {
    return code == CURLE_PEER_FAILED_VERIFICATION || code == CURLE_SSL_CACERT_BADFILE;
}

}  // namespace

bool SystemWebClient::HttpRequestToSystem(const std::string& objectName, std::string& response,
                                          const std::string& headerText, const std::string& body,
                                          Verb verb) {
    response.clear();
    if (!m_app.m_link) return false;  // both checks and the scheme need the link
    InitCurlOnce();
    const std::string password =
        m_app.Job().target.password.empty() ? " " : m_app.Job().target.password;
    if (!WebServerEnabled()) return false;
    const bool secure = m_app.m_link->IsSecure();
    const int port = secure ? kHttpsPort : PlainWebPort();
    const HttpRequest request{RequestUrl(secure, m_app.Job().target.address, port, objectName),
                              HeaderLines(headerText), body, verb == kPost, password};
    if (request.url.empty()) return false;
    const int sends = secure ? 2 : 1;
    bool verifyPeer = secure;
    for (int send = 0; send < sends; ++send) {
        long status = 0;
        const CURLcode code = SendOnce(request, verifyPeer, status, response);
        if (code == CURLE_OK) {
            // Answered but refused (401, 404, 5xx...) counts as not done.
            if (status >= 200 && status < 300) return true;
            response.clear();
            return false;
        }
        if (!UntrustedCertificate(code)) return false;
        verifyPeer = false;
    }
    return false;
}

bool SystemWebClient::IsSystemInCall() {
    return CallState().value_or(false);
}

std::optional<bool> SystemWebClient::CallState() {
    std::string response;
    if (!HttpRequestToSystem("confstatus.xml", response, "Content-Type: plain/text\n\n", "", kGet))
        return std::nullopt;
    return LineSpeedShowsCall(response);
}

bool SystemWebClient::NotifySystem(const std::string& message) {
    const std::string body = NotificationBody(message);
    const std::string headerText =
        "Content-Type: application/x-www-form-urlencoded\r\nContent-length: " +
        std::to_string(body.size()) + "\r\n";
    std::string response;
    const bool notified =
        HttpRequestToSystem("a_sendmessage.cgi\r\n", response, headerText, body, kPost);
    m_app.WriteLog(notified ? m_app.LoadUiString(240, "System notified about update")
                            : m_app.LoadUiString(239, "System NOT notified about update"),
                   0);
    return notified;
}

bool SystemWebClient::LineSpeedShowsCall(const std::string& response) {
    if (response.size() <= 10) return false;
    const std::size_t open = response.find(kOpenTag);
    // Without the opening tag the value is looked for 10 characters in (-1 + 11).
    const std::size_t skip = open == std::string::npos ? 10 : open + kOpenTag.size();
    const std::string rest = response.substr(skip);
    const std::size_t close = rest.find(kCloseTag);
    if (close == std::string::npos || close == 0) return false;
    const std::string value = rest.substr(0, close);
    return std::strtol(value.c_str(), nullptr, 10) > 0;
}

std::string SystemWebClient::NotificationBody(const std::string& message) {
    std::string body = "message=" + message + "\r\n";
    std::string encoded;
    encoded.reserve(body.size());
    for (char c : body) encoded += c == ' ' ? '+' : c;
    return encoded;
}

int SystemWebClient::PortFromText(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && IsSpace(text[at])) ++at;
    const std::size_t firstDigit = at;
    long value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        if (value <= kMaxPort) value = value * 10 + (text[at] - '0');  // stops short of overflow
    }
    if (at == firstDigit || value < 1 || value > kMaxPort) return kDefaultHttpPort;
    return static_cast<int>(value);
}

bool SystemWebClient::WebServerEnabled() {
    std::string text;
    if (!m_app.m_link->DownloadToString("webenabled.dat", text)) return true;
    if (!text::EqualsNoCase(text::Trim(text), "False")) return true;
    m_app.WriteLog("Webserver not enabled on the system", 0);
    return false;
}

int SystemWebClient::PlainWebPort() {
    std::string text;
    if (!m_app.m_link->DownloadToString("webaccessport.dat", text)) return kDefaultHttpPort;
    m_app.WriteLog("Webserver port: " + text::ForLog(text), 0);
    return PortFromText(text);
}

}  // namespace quillmarch
