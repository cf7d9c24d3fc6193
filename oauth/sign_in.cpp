#include "oauth/sign_in.h"

#include "base/wipe.h"
#include "oauth/redirect_request.h"

namespace oauth {

namespace {

SignInFailure failureOf(TokenFailure failure) {
    switch (failure) {
        case TokenFailure::None:
            return SignInFailure::None;
        case TokenFailure::Refused:
            return SignInFailure::TokenRefused;
        case TokenFailure::Unreachable:
            return SignInFailure::TokenUnreachable;
        case TokenFailure::Untrusted:
            return SignInFailure::TokenUntrusted;
        case TokenFailure::NotAnAnswer:
            return SignInFailure::TokenNotAnAnswer;
    }
    return SignInFailure::TokenNotAnAnswer;
}

}  // namespace

SignIn::SignIn(SignInRequest request) : request(std::move(request)) {
}

SignIn::~SignIn() {
    base::wipeString(request.clientSecret);
    base::wipeString(authorization.verifier);
}

bool SignIn::start() {
    if (!listener.open()) {
        return false;
    }
    std::optional<AuthorizationRequest> made = startAuthorization(request.provider, request.clientId, listener.port());
    if (!made) {
        return false;
    }
    authorization = std::move(*made);
    started = true;
    return true;
}

SignInResult SignIn::finish() {
    SignInResult result;
    if (!started) {
        return result;
    }
    std::string received;
    switch (listener.takeRequest(received, request.timeoutMs)) {
        case ListenResult::Request:
            break;
        case ListenResult::Cancelled:
            result.failure = SignInFailure::Cancelled;
            return result;
        case ListenResult::TimedOut:
            result.failure = SignInFailure::TimedOut;
            return result;
        case ListenResult::TooLarge:
            listener.respond(htmlResponse(400, request.failedPage));
            result.failure = SignInFailure::BadRedirect;
            return result;
        case ListenResult::Failed:
            result.failure = SignInFailure::BadRedirect;
            return result;
    }
    Redirect redirect = readRedirect(received, authorization.state);
    base::WipeOnExit wipeCode(redirect.code);
    base::wipeString(received);
    if (redirect.outcome != RedirectOutcome::Code) {
        listener.respond(htmlResponse(400, request.failedPage));
        result.failure =
            redirect.outcome == RedirectOutcome::Denied ? SignInFailure::Denied : SignInFailure::BadRedirect;
        return result;
    }
    // The browser gets its page before the exchange: the user may close it while the program goes on.
    listener.respond(htmlResponse(200, request.donePage));
    TokenResult tokens = exchangeCode({request.provider.tokenUrl, request.clientId, request.clientSecret},
                                      redirect.code, authorization.verifier, authorization.redirectUri);
    result.failure = failureOf(tokens.failure);
    if (result.failure == SignInFailure::None) {
        result.accessToken = std::move(tokens.response.accessToken);
        result.refreshToken = std::move(tokens.response.refreshToken);
        result.expiresInSeconds = tokens.response.expiresInSeconds;
    }
    return result;
}

}  // namespace oauth
