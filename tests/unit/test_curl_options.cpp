// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/link/CurlOptions.h"

namespace quillmarch::test {
namespace {

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

// libcurl refuses a text option longer than its input limit (8 MB): a password of that size is
// refused, and the error must name the option without the password in it.
TEST(CurlOptions, KeepsTheFirstRefusalAndNeverItsValue) {
    std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    ASSERT_TRUE(curl);
    const std::string password = "secret" + std::string(9 * 1024 * 1024, 'x');

    CurlOptions options(curl.get());
    // An accepted option after the refusal does not clear it.
    options.Set(CURLOPT_NOSIGNAL, 1L)
        .Set(CURLOPT_PASSWORD, password.c_str())
        .Set(CURLOPT_URL, "ftp://127.0.0.1/");
    EXPECT_FALSE(options.Ok());
    EXPECT_EQ(options.Result(), CURLE_BAD_FUNCTION_ARGUMENT);
    const std::string error = options.Error();
    EXPECT_NE(error.find(std::to_string(static_cast<int>(CURLOPT_PASSWORD))), std::string::npos)
        << error;
    EXPECT_EQ(error.find("secret"), std::string::npos);
}

TEST(CurlOptions, AcceptedOptionsLeaveNoError) {
    std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    ASSERT_TRUE(curl);
    CurlOptions options(curl.get());
    options.Set(CURLOPT_NOSIGNAL, 1L).Set(CURLOPT_URL, "ftp://127.0.0.1/");
    EXPECT_TRUE(options.Ok());
    EXPECT_EQ(options.Error(), "");
    // Without a handle nothing is set, and that is an error too.
    EXPECT_FALSE(CurlOptions(nullptr).Set(CURLOPT_NOSIGNAL, 1L).Ok());
}

}  // namespace
}  // namespace quillmarch::test
