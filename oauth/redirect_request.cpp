#include "oauth/redirect_request.h"

namespace oauth {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

bool percentDecode(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%') {
            if (i + 2 >= text.size()) {
                return false;
            }
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0) {
                return false;
            }
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return true;
}

bool redirectHeadComplete(std::string_view bytes) {
    return bytes.find("\r\n\r\n") != std::string_view::npos || bytes.find("\n\n") != std::string_view::npos;
}

Redirect readRedirect(std::string_view request, std::string_view expectedState) {
    Redirect result;
    if (request.size() > kMaxRedirectRequestBytes) {
        result.outcome = RedirectOutcome::TooLarge;
        return result;
    }
    // "GET /?code=...&state=... HTTP/1.1": the target must be the redirect path "/" with a query.
    const std::string_view line = request.substr(0, request.find_first_of("\r\n"));
    const std::string_view prefix = "GET /?";
    const std::size_t targetEnd = line.find(' ', prefix.size());
    if (line.substr(0, prefix.size()) != prefix || targetEnd == std::string_view::npos ||
        line.substr(targetEnd + 1, 5) != "HTTP/") {
        return result;
    }
    std::string_view query = line.substr(prefix.size(), targetEnd - prefix.size());
    bool stateSeen = false, stateMatches = false, codeSeen = false, errorSeen = false;
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        const std::size_t eq = pair.find('=');
        const std::string_view key = pair.substr(0, eq);
        std::string value;
        if (eq == std::string_view::npos || !percentDecode(pair.substr(eq + 1), value)) {
            continue;
        }
        // A parameter given twice makes the request ambiguous: the first one counts, as a second could be smuggled.
        if (key == "state" && !stateSeen) {
            stateSeen = true;
            stateMatches = !expectedState.empty() && value == expectedState;
        } else if (key == "code" && !codeSeen) {
            codeSeen = true;
            result.code = std::move(value);
        } else if (key == "error" && !errorSeen) {
            errorSeen = true;
            result.error = std::move(value);
        }
    }
    if (!codeSeen && !errorSeen) {
        result.outcome = RedirectOutcome::NotTheRedirect;
    } else if (!stateMatches) {
        result.outcome = RedirectOutcome::WrongState;
    } else if (errorSeen) {
        result.outcome = RedirectOutcome::Denied;
    } else if (result.code.empty()) {
        result.outcome = RedirectOutcome::NotTheRedirect;
    } else {
        result.outcome = RedirectOutcome::Code;
    }
    if (result.outcome != RedirectOutcome::Code) {
        result.code.clear();
    }
    return result;
}

std::string htmlResponse(int status, std::string_view shiftJisHtml) {
    const char* reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Bad Request";
    std::string response =
        "HTTP/1.1 " + std::to_string(status) + " " + reason +
        "\r\nContent-Type: text/html; charset=Shift_JIS\r\nContent-Length: " + std::to_string(shiftJisHtml.size()) +
        "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
    response += shiftJisHtml;
    return response;
}

}  // namespace oauth
