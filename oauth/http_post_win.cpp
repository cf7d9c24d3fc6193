#include "oauth/http_post.h"

#include <windows.h>

#include <winhttp.h>

#include <vector>

#include "base/ascii.h"

namespace oauth {

namespace {

class Handle {
public:
    explicit Handle(HINTERNET handle) : handle(handle) {
    }
    ~Handle() {
        if (handle != nullptr) {
            WinHttpCloseHandle(handle);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    operator HINTERNET() const {
        return handle;
    }

private:
    HINTERNET handle;
};

// A secure channel that could not be set up counts with the certificate failures: Wine reports an untrusted
// certificate that way, and either way nothing may be sent.
HttpFailure failureOfLastError() {
    const DWORD error = GetLastError();
    return error == ERROR_WINHTTP_SECURE_FAILURE || error == ERROR_WINHTTP_SECURE_CHANNEL_ERROR ||
                   error == ERROR_WINHTTP_SECURE_INVALID_CA || error == ERROR_WINHTTP_SECURE_CERT_CN_INVALID ||
                   error == ERROR_WINHTTP_SECURE_CERT_DATE_INVALID || error == ERROR_WINHTTP_SECURE_INVALID_CERT ||
                   error == ERROR_WINHTTP_SECURE_CERT_REVOKED
               ? HttpFailure::Untrusted
               : HttpFailure::Network;
}

}  // namespace

HttpReply postForm(const std::string& url, const std::string& form, std::size_t maxBodyBytes, int timeoutMs) {
    HttpReply reply;
    if (!base::startsWithNoCase(url, "https://")) {
        reply.failure = HttpFailure::NotHttps;
        return reply;
    }
    // The address is ASCII (anything else is percent-encoded by whoever wrote it).
    std::vector<wchar_t> wideUrl(url.begin(), url.end());
    wideUrl.push_back(L'\0');
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(wideUrl.data(), 0, 0, &parts) || parts.nScheme != INTERNET_SCHEME_HTTPS) {
        reply.failure = HttpFailure::NotHttps;
        return reply;
    }
    std::vector<wchar_t> host(parts.lpszHostName, parts.lpszHostName + parts.dwHostNameLength);
    host.push_back(L'\0');
    std::vector<wchar_t> path(parts.lpszUrlPath, parts.lpszUrlPath + parts.dwUrlPathLength);
    path.insert(path.end(), parts.lpszExtraInfo, parts.lpszExtraInfo + parts.dwExtraInfoLength);
    path.push_back(L'\0');

    // The system's proxy settings: the automatic kind where the system has it (Windows 8.1 on), else WinHTTP's.
    Handle session(WinHttpOpen(L"Quorvane", 4 /* WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY */, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0));
    Handle fallback(session == nullptr ? WinHttpOpen(L"Quorvane", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                                     WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)
                                       : nullptr);
    HINTERNET open = session != nullptr ? static_cast<HINTERNET>(session) : static_cast<HINTERNET>(fallback);
    if (open == nullptr) {
        return reply;
    }
    WinHttpSetTimeouts(open, timeoutMs, timeoutMs, timeoutMs, timeoutMs);
    Handle connection(WinHttpConnect(open, host.data(), parts.nPort, 0));
    Handle request(connection == nullptr
                       ? nullptr
                       : WinHttpOpenRequest(connection, L"POST", path.data(), nullptr, WINHTTP_NO_REFERER,
                                            WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
    if (request == nullptr) {
        return reply;
    }
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    WinHttpSetOption(request, WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never);
    const wchar_t kHeaders[] = L"Content-Type: application/x-www-form-urlencoded\r\n";
    if (!WinHttpSendRequest(request, kHeaders, static_cast<DWORD>(-1), const_cast<char*>(form.data()),
                            static_cast<DWORD>(form.size()), static_cast<DWORD>(form.size()), 0) ||
        !WinHttpReceiveResponse(request, nullptr)) {
        reply.failure = failureOfLastError();
        return reply;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        return reply;
    }
    reply.status = static_cast<int>(status);
    if (status >= 300 && status <= 399) {
        reply.failure = HttpFailure::Redirected;
        return reply;
    }
    for (;;) {
        char chunk[4096];
        DWORD read = 0;
        if (!WinHttpReadData(request, chunk, sizeof chunk, &read)) {
            reply.body.clear();
            reply.failure = HttpFailure::Network;
            return reply;
        }
        if (read == 0) {
            break;
        }
        if (reply.body.size() + read > maxBodyBytes) {
            reply.body.clear();
            reply.failure = HttpFailure::TooLarge;
            return reply;
        }
        reply.body.append(chunk, read);
    }
    reply.failure = HttpFailure::None;
    return reply;
}

}  // namespace oauth
