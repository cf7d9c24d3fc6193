#pragma once

#include "mail/mail_entry.h"
#include "net/tls_channel.h"

#include <string>

// What a mail check needs from the main window. Every call comes from the worker thread; the application
// implements them with its window, menu and flags, tests with a recording double.
namespace mail {

// Items of the main window's popup menu whose state follows the check.
enum MenuItem : int {
    kMenuSettings = 40002,
    kMenuCheckNow = 40003,
    kMenuStopCheck = 40004,
};

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

    // Enables or grays one item of the popup menu.
    virtual void setMenuItemEnabled(int menuItem, bool enabled) = 0;
    // The status look of a running check, and the idle look.
    virtual void showChecking() = 0;
    virtual void showIdle() = 0;
    // The tooltip and title; nullptr stands for the program's title alone.
    virtual void setStatusText(const char* text) = 0;
    // The check that failed was not the timer's to report quietly any more.
    virtual void clearStartedByTimer() = 0;
    // The list that replaces the application's mail list when the owner handles the result command
    // posted right after this call (an empty list on failure). Must not block on the user-interface thread;
    // ListHandOver keeps it safely until then.
    virtual void handOverList(const MailEntryList& list) = 0;
    // Not every marked mail could be deleted: the server refused a DELE, so that mail and its entry stay.
    // Comes right before the result (101 or 102) of the same check, which the owner shows it with.
    virtual void reportDeletionRefused() = 0;
    // The certificate behind the failure kErrCertUntrusted, told right before that result is posted.
    virtual void noteUntrustedCertificate(const UntrustedCertificate& certificate) = 0;
    // Posts WM_COMMAND with the command id (101, 102 or 105) and its parameter to the main window.
    virtual void postResult(int commandId, long parameter) = 0;
    // The last step of every check: a new check may start.
    virtual void clearCheckRunning() = 0;
};

}  // namespace mail
