#pragma once

// How one check reports to the main window: a WM_COMMAND posted with one of these ids as wParam
// and the parameter as lParam.
#include <string>

#include "net/tls_channel.h"

namespace mail {

enum CommandId : int {
    kCmdNoMail = 101,        // lParam 0: nothing waiting, or every waiting message was deleted
    kCmdMailWaiting = 102,   // lParam: the message count from STAT
    kCmdListClosed = 104,    // lParam 1: the user confirmed deleting the marked mails
    kCmdCheckFailed = 105,   // lParam: an ErrorCode
    kCmdRaiseList = 106,     // lParam 0
    kCmdListMarkStep = 107,  // the list window's own mark walk
};

// Parameter of command 40003 that asks for a check which keeps the list (it carries a deletion).
constexpr long kKeepListMarker = 0xFF0F;

enum ErrorCode : int {
    kErrSettingsIncomplete = 0,
    kErrSocket = 1,
    kErrConnect = 2,
    kErrUser = 3,
    kErrPass = 4,
    kErrStat = 5,
    kErrTop = 6,
    kErrTopRead = 7,
    kErrApopNoTimestamp = 8,
    kErrApopRefused = 9,
    kErrOutOfMemory = 10,
    kErrTimeout = 11,          // the server did not answer a connect or a wait for data within the time-out
    kErrTls = 12,              // the TLS handshake failed (or the connection broke during it)
    kErrStlsUnavailable = 13,  // the server does not offer STLS (or refused it): nothing more was sent
    kErrCertUntrusted = 14,    // the server's certificate failed its checks; the user is asked whether to trust it
};

// How the connection is protected (the SSL key): plain text, STLS on the plain port, or TLS from the start.
enum SslMode : int {
    kSslNone = 0,
    kSslStls = 1,
    kSslImplicit = 2,
};

// The message box text of an error code (Shift_JIS), or nullptr for a code that has none: a code the
// error handler ignores (outside 0..14), or kErrCertUntrusted, whose question untrustedCertificateQuestion words.
const char* errorMessage(int code);

// The question for an untrusted certificate: the reason, the SHA-256 fingerprint and whether to trust this
// certificate for this server (Shift_JIS, for a Yes/No message box).
std::string untrustedCertificateQuestion(net::CertProblem problem, const std::string& fingerprint);

}  // namespace mail
