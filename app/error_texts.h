#pragma once

#include <string>

#include "net/tls_channel.h"

// What the user reads when a check fails (Shift_JIS).
namespace app {

// The message box text of a mail::ErrorCode, or nullptr for a code that has none: a code the error handler
// ignores (outside 0..14), or kErrCertUntrusted, whose question untrustedCertificateQuestion words.
const char* errorMessage(int code);

// The question for an untrusted certificate: the reason, the SHA-256 fingerprint and whether to trust this
// certificate for this server (Shift_JIS, for a Yes/No message box).
std::string untrustedCertificateQuestion(net::CertProblem problem, const std::string& fingerprint);

}  // namespace app
