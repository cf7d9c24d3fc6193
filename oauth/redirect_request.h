#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The one request the browser sends to the loopback redirect address, read and judged: it must be a GET of the
// redirect path that carries the state this sign-in sent and either a code or an error.
namespace oauth {

// A request head larger than this is no redirect of an authorization server.
constexpr std::size_t kMaxRedirectRequestBytes = 8192;

enum class RedirectOutcome {
    Code,            // a code with the right state
    Denied,          // error=... with the right state (e.g. access_denied: the user said no)
    WrongState,      // state missing or not ours: possibly forged, never used
    NotTheRedirect,  // not a GET of the redirect path, or neither code nor error
    TooLarge,
};

struct Redirect {
    RedirectOutcome outcome = RedirectOutcome::NotTheRedirect;
    std::string code;
    std::string error;
};

// Whether the bytes received so far hold a whole request head (up to the empty line).
bool redirectHeadComplete(std::string_view bytes);
// Judges the request head against the state value this sign-in sent.
Redirect readRedirect(std::string_view request, std::string_view expectedState);
// A complete HTTP response with an HTML page in Shift_JIS (as every text of the program is), closing the
// connection.
std::string htmlResponse(int status, std::string_view shiftJisHtml);
// Percent-decoding of a query value ('+' is a blank); nothing for a broken escape.
bool percentDecode(std::string_view text, std::string& out);

}  // namespace oauth
