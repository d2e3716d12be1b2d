// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <curl/curl.h>

#include <string>

namespace quillmarch {

// Sets the options of one libcurl handle and keeps the first refusal: a transfer started after
// a refused option would run with libcurl's default instead (no timeout, no proxy bypass, a
// checked certificate...). Once one option is refused the later ones are not tried.
class CurlOptions {
public:
    explicit CurlOptions(CURL* curl) : m_curl(curl) {}

    template <typename Value>
    CurlOptions& Set(CURLoption option, Value value) {
        if (m_result != CURLE_OK) return *this;
        m_result = m_curl == nullptr ? CURLE_BAD_FUNCTION_ARGUMENT
                                     : curl_easy_setopt(m_curl, option, value);
        if (m_result != CURLE_OK) m_refused = option;
        return *this;
    }

    [[nodiscard]] CURLcode Result() const { return m_result; }
    [[nodiscard]] bool Ok() const { return m_result == CURLE_OK; }
    // The refused option by its number and libcurl's reason; never the value, which may be a
    // password.
    [[nodiscard]] std::string Error() const;

private:
    CURL* m_curl;
    CURLcode m_result = CURLE_OK;
    CURLoption m_refused = CURLOPT_URL;
};

}  // namespace quillmarch
