#pragma once

#include "mail/mail_entry.h"
#include "net/tls_channel.h"

#include <string>

// What a mail check tells its owner as it goes. Every call comes from the worker thread; the application
// implements them with its window, menu and flags, tests with a recording double.
namespace mail {

// The server certificate that failed its checks, for the question whether to trust it, and the server and port
// the check reached it at: the trust, if given, is for them (the settings may have changed since).
struct UntrustedCertificate {
    net::CertProblem problem = net::CertProblem::None;
    std::string fingerprint;  // SHA-256, lower-case hex
    std::string server;
    int port = 0;
};

class CheckHost {
public:
    virtual ~CheckHost() = default;

    // The first call of every check: from here until checkEnded it may be stopped, and nothing may change what it
    // works with.
    virtual void checkStarted() = 0;
    // The status look of a running check, and the idle look.
    virtual void showChecking() = 0;
    virtual void showIdle() = 0;
    // The tooltip and title; nullptr stands for the program's title alone.
    virtual void setStatusText(const char* text) = 0;
    // The check that failed was not the timer's to report quietly any more.
    virtual void clearStartedByTimer() = 0;
    // The list that replaces the owner's mail list when it handles the result told right after this call (an
    // empty list on failure). Must not block on the user-interface thread; ListHandOver keeps it safely until then.
    virtual void handOverList(const MailEntryList& list) = 0;
    // Not every marked mail could be deleted: the server refused a DELE, so that mail and its entry stay.
    // Comes right before the result (no mail or mail waiting) of the same check, which the owner shows it with.
    virtual void reportDeletionRefused() = 0;
    // The certificate behind the failure kErrCertUntrusted, told right before that failure.
    virtual void noteUntrustedCertificate(const UntrustedCertificate& certificate) = 0;
    // An OAuth 2.0 check renewed its access token: the new one, when it expires (seconds since 1970), and the
    // refresh token the server handed out with it (empty when it kept the old one). The owner keeps them for the
    // next check; a refresh token once replaced is spent.
    virtual void tokensRenewed(const std::string& accessToken,
                               long long expiresAt,
                               const std::string& refreshToken) = 0;
    // The result, one per check that was not stopped: nothing waiting (or every waiting mail deleted), `count`
    // mails waiting, or a failure with its ErrorCode.
    virtual void noMail() = 0;
    virtual void mailWaiting(int count) = 0;
    virtual void checkFailed(int errorCode) = 0;
    // The last call of every check, whatever its outcome: a new check may start.
    virtual void checkEnded() = 0;
};

}  // namespace mail
