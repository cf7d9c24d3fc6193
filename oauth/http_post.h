#pragma once

#include <cstddef>
#include <string>

// An HTTPS POST of a form, from the platform: WinHTTP on Windows (its certificate checks, the system's proxy),
// libcurl elsewhere. Redirects are not followed: a token endpoint that redirects is not trusted with a code.
namespace oauth {

enum class HttpFailure {
    None,
    NotHttps,    // the address is not an https:// URL
    Network,     // no connection, a time-out, a broken transfer
    Untrusted,   // the server's certificate failed the platform's checks
    Redirected,  // a 3xx answer
    TooLarge,    // the body grew past the limit
};

struct HttpReply {
    HttpFailure failure = HttpFailure::Network;
    int status = 0;
    std::string body;
};

// `form` is an application/x-www-form-urlencoded body. Waits at most `timeoutMs` for each step.
HttpReply postForm(const std::string& url, const std::string& form, std::size_t maxBodyBytes, int timeoutMs);

}  // namespace oauth
