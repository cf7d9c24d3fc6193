#pragma once

#include <string>
#include <vector>

#include "mail/check_settings.h"
#include "settings/settings_limits.h"

namespace settings {

// The one server certificate the user chose to trust despite its faults, and the server it was trusted for: it
// counts only for a check of that host name and port.
using TrustedCertificate = mail::TrustedCertificate;

// Everything the program remembers between runs. The user-interface thread owns it; a check works on its own copy
// of the mail fields (takeCheckSettings). Each field that is kept in the file has its key in settings_keys.h.
//
// The record is the program-wide settings and the first mailbox; each further mailbox is a record of its own in
// `moreMailboxes`, of which only the mailbox keys (Scope::kMailbox) count.
struct Settings {
    bool inTaskTray = false;      // the main window lives as a task-tray icon instead of the small square
    bool apop = false;            // log in with APOP instead of USER/PASS
    std::string server;           // POP3 host name or dotted address
    std::string user;             // POP3 user name
    std::string pass;             // the password in clear text; only ever scrambled in the file
    bool passFromPrompt = false;  // pass was typed for the current check and is forgotten when it ends
    std::string playSound;        // wave file played when mail is waiting; empty = silent
    std::string exeMail;          // mail program to launch; empty disables that command
    // Numbers: their defaults live with their limits in settings_limits.h.
    int headCount = limits::kDefaultHeadCount;    // body lines wanted from each message (0: the default)
    int timerMin = limits::kDefaultTimerMin;      // minutes between automatic checks
    int pop3Port = limits::kDefaultPop3Port;      // TCP port of the POP3 server
    int timeoutSec = limits::kDefaultTimeoutSec;  // seconds that connecting or one wait for data may take
    bool newMailSoundOnly = false;  // play the sound only when a check found mail that the last one did not see
    bool showCount = false;         // the square and the tray icon show the number of waiting mails
    bool notify = false;            // a balloon names the new mails a check found
    // 0 plain text, 1 STLS, 2 TLS from the start (implicit TLS); kInvalidSslMode: the file says something else
    int sslMode = limits::kDefaultSslMode;
    TrustedCertificate trustedCert;
    // How to log in: the Auth key as written (empty: the APOP key decides; a value no method has connects nothing).
    std::string auth;
    // The password is kept protected for the current user (PassProtected) instead of scrambled in PASS.
    bool protectPass = false;
    // PassProtected or OAuthRefreshToken could not be opened here (the file came from another user or computer):
    // the user is told once and asked again.
    bool protectedPassUnreadable = false;
    bool refreshTokenUnreadable = false;
    // OAuth 2.0: the provider ("microsoft", "google" or "custom"), the user's app registration, a custom
    // provider's endpoints and scope, and the refresh token (kept protected in the file).
    std::string oauthProvider;
    std::string oauthClientId;
    std::string oauthClientSecret;
    std::string oauthAuthorizeUrl;
    std::string oauthTokenUrl;
    std::string oauthScope;
    std::string refreshToken;
    // The access token and when it runs out (seconds since 1970): this run only, never in the file.
    std::string accessToken;
    long long accessExpiresAt = 0;
    // A sign-in in the settings dialog gave this mailbox its tokens: OK keeps them.
    bool signedInHere = false;
    std::string name;     // what the user calls the mailbox; empty: USER@SERVER
    bool enabled = true;  // checked with the others; a disabled mailbox is shown but never checked
    // The second mailbox onwards, in the order of their sections ([Account2], [Account3] ...). A further mailbox's
    // empty playSound means the program's sound.
    std::vector<Settings> moreMailboxes;
};

// At most this many mailboxes: the first and [Account2] to [Account16].
constexpr int kMaxMailboxes = 16;

// The mailboxes of the record: 0 is the record itself, k > 0 moreMailboxes[k - 1].
inline int mailboxCount(const Settings& settings) {
    return 1 + static_cast<int>(settings.moreMailboxes.size());
}
inline Settings& mailboxAt(Settings& settings, int index) {
    return index == 0 ? settings : settings.moreMailboxes[static_cast<std::size_t>(index - 1)];
}
inline const Settings& mailboxAt(const Settings& settings, int index) {
    return index == 0 ? settings : settings.moreMailboxes[static_cast<std::size_t>(index - 1)];
}

// What the user calls the mailbox: its Name, or USER@SERVER.
std::string mailboxName(const Settings& mailbox);

// Whether a check of the mailbox may start: enabled, with a server, a user and an SSL value the program can use.
bool checkable(const Settings& mailbox);

// The wave file for new mail in the mailbox: its own, or the program's.
const std::string& soundFor(const Settings& program, const Settings& mailbox);

}  // namespace settings
