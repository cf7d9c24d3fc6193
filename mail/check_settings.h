#pragma once

#include <string>

#include "mail/check_result.h"

namespace mail {

// The one server certificate the user chose to trust although it failed its checks, for the server and port it
// was shown for; any other server gets no benefit from it.
struct TrustedCertificate {
    std::string fingerprint;  // SHA-256 in hex; empty: none
    std::string server;
    int port = 0;
};

// What one check needs to know: the mailbox, how to log in and protect the connection, and how much to read. The
// owner copies it from its settings each time a check starts.
struct CheckSettings {
    std::string server;
    int port = 0;
    std::string user;
    std::string pass;  // the check's own copy; wiped once the login is over
    bool apop = false;
    int headCount = 2;
    int timeoutSec = 60;
    int sslMode = kSslNone;  // a value that is no SslMode connects nothing
    TrustedCertificate trustedCert;
    int mailbox = 0;          // the owner's number for the mailbox, and
    std::string mailboxName;  // what the user calls it: both go on every entry the check lists
};

}  // namespace mail
