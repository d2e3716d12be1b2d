// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/link/CurlOptions.h"

namespace quillmarch {

std::string CurlOptions::Error() const {
    if (m_result == CURLE_OK) return {};
    return "libcurl refused option " + std::to_string(static_cast<int>(m_refused)) + ": " +
           curl_easy_strerror(m_result);
}

}  // namespace quillmarch
