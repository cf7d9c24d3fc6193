#pragma once

#include <string>

#include "mail/auth_method.h"
#include "mail/check_result.h"

namespace mail {

// The one server certificate the user chose to trust although it failed its checks, for the server and port it
// was shown for; any other server gets no benefit from it.
struct TrustedCertificate {
    std::string fingerprint;  // SHA-256 in hex; empty: none
    std::string server;
    int port = 0;
};

// What an OAuth 2.0 login needs: where to renew the access token, and the tokens as they stand.
struct OAuthTokens {
    std::string provider;  // "microsoft", "google", or anything else for the custom token endpoint below
    std::string tokenUrl;  // the custom provider's
    std::string clientId;
    std::string clientSecret;
    std::string refreshToken;
    std::string accessToken;        // empty: none yet
    long long accessExpiresAt = 0;  // seconds since 1970 (UTC); the token is renewed a minute before
};

// What one check needs to know: the mailbox, how to log in and protect the connection, and how much to read. The
// owner copies it from its settings each time a check starts.
struct CheckSettings {
    std::string server;
    int port = 0;
    std::string user;
    std::string pass;  // the check's own copy; wiped once the login is over
    bool apop = false;
    AuthMethod auth = AuthMethod::FromApopKey;
    OAuthTokens oauth;  // for AuthMethod::OAuth2; its secrets are wiped with the password
    int headCount = 2;
    int timeoutSec = 60;
    int sslMode = kSslNone;  // a value that is no SslMode connects nothing
    TrustedCertificate trustedCert;
    int mailbox = 0;          // the owner's number for the mailbox, and
    std::string mailboxName;  // what the user calls it: both go on every entry the check lists
};

}  // namespace mail
