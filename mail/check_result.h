#pragma once

// Why a check failed (CheckHost::checkFailed), and how a connection is protected.
namespace mail {

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
    kErrAuthUnavailable = 15,  // the server offers no login of the kind chosen (the Auth key): no secret was sent
    kErrSignInNeeded = 16,     // no refresh token, or the authorization server refused it: the user must sign in
    kErrTokenEndpoint = 17,    // the authorization server could not be reached or gave no usable answer
};

// How the connection is protected (the SSL key): plain text, STLS on the plain port, or TLS from the start.
enum SslMode : int {
    kSslNone = 0,
    kSslStls = 1,
    kSslImplicit = 2,
};

}  // namespace mail
