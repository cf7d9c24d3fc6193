#include "oauth/http_post.h"

#include <curl/curl.h>
#include <openssl/ssl.h>

#include "base/ascii.h"

namespace oauth {

namespace {

struct Sink {
    std::string* body;
    std::size_t limit;
    bool tooLarge = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
    Sink& sink = *static_cast<Sink*>(user);
    const std::size_t bytes = size * count;
    if (sink.body->size() + bytes > sink.limit) {
        sink.tooLarge = true;
        return 0;  // ends the transfer
    }
    sink.body->append(data, bytes);
    return bytes;
}

// The same roots as POP3 over TLS: OpenSSL's defaults (SSL_CERT_FILE / SSL_CERT_DIR where set), not a bundle of
// curl's own.
CURLcode useSystemRoots(CURL*, void* sslContext, void*) {
    return SSL_CTX_set_default_verify_paths(static_cast<SSL_CTX*>(sslContext)) == 1 ? CURLE_OK : CURLE_SSL_CERTPROBLEM;
}

}  // namespace

HttpReply postForm(const std::string& url, const std::string& form, std::size_t maxBodyBytes, int timeoutMs) {
    HttpReply reply;
    if (!base::startsWithNoCase(url, "https://")) {
        reply.failure = HttpFailure::NotHttps;
        return reply;
    }
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        return reply;
    }
    Sink sink{&reply.body, maxBodyBytes};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, form.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(form.size()));
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_CAINFO, nullptr);
    curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, useSystemRoots);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeoutMs));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutMs) * 2);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    reply.status = static_cast<int>(status);
    if (sink.tooLarge) {
        reply.failure = HttpFailure::TooLarge;
    } else if (code == CURLE_PEER_FAILED_VERIFICATION || code == CURLE_SSL_CACERT_BADFILE ||
               code == CURLE_SSL_CERTPROBLEM) {
        reply.failure = HttpFailure::Untrusted;
    } else if (code != CURLE_OK) {
        reply.failure = HttpFailure::Network;
    } else if (status >= 300 && status <= 399) {
        reply.failure = HttpFailure::Redirected;
    } else {
        reply.failure = HttpFailure::None;
    }
    if (reply.failure != HttpFailure::None) {
        reply.body.clear();
    }
    return reply;
}

}  // namespace oauth
