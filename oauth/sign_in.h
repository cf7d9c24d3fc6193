#pragma once

#include <string>

#include "oauth/authorization_request.h"
#include "oauth/loopback_listener.h"
#include "oauth/token_client.h"

// One sign-in from start to tokens: the listener opened and the authorization address made (start), then, on a
// worker thread, the browser's one redirect awaited, judged and answered, and its code exchanged (finish). The
// user's side (opening the browser, a dialog with a cancel button) belongs to the caller.
namespace oauth {

enum class SignInFailure {
    None,
    NoListener,  // no loopback port, or no random bytes for the verifier and state
    Cancelled,
    TimedOut,      // the browser never came back
    Denied,        // the user (or the server) said no
    BadRedirect,   // a wrong or missing state, not the redirect, or a request too large
    TokenRefused,  // the token endpoint refused the code
    TokenUnreachable,
    TokenUntrusted,
    TokenNotAnAnswer,
};

struct SignInRequest {
    Provider provider;  // the endpoints and scope (a known provider's, or the custom ones)
    std::string clientId;
    std::string clientSecret;
    int timeoutMs = 300000;  // how long the browser may take
    // The pages the browser shows afterwards (HTML in Shift_JIS).
    std::string donePage;
    std::string failedPage;
};

struct SignInResult {
    SignInFailure failure = SignInFailure::NoListener;
    std::string accessToken;
    std::string refreshToken;
    long long expiresInSeconds = 0;
};

class SignIn {
public:
    explicit SignIn(SignInRequest request);
    ~SignIn();
    SignIn(const SignIn&) = delete;
    SignIn& operator=(const SignIn&) = delete;

    // Opens the listener and makes the address; false when either could not be done (finish then says why).
    bool start();
    // The authorization page's address, for the browser and for the user to copy.
    const std::string& url() const {
        return authorization.url;
    }
    // Waits for the redirect and exchanges its code. Exactly one request is taken; the listener is closed after.
    SignInResult finish();
    // From another thread: ends the wait (finish returns Cancelled).
    void cancel() {
        listener.cancel();
    }

private:
    SignInRequest request;
    LoopbackListener listener;
    AuthorizationRequest authorization;
    bool started = false;
};

}  // namespace oauth
