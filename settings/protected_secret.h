#pragma once

#include <optional>
#include <string>

// Secrets kept in the settings file protected by the system for the current user (DPAPI on Windows), as Base64
// text. Whoever can read the file cannot read the secret, unless they are that user on that computer.
namespace settings {

// Whether this platform can protect secrets at all; without it the password stays in its scrambled key.
bool secretProtectionAvailable();
// The protected form, or nothing when the system refused.
std::optional<std::string> protectSecret(const std::string& secret);
// The secret again, or nothing when the blob cannot be opened (another user or computer, or damaged).
std::optional<std::string> unprotectSecret(const std::string& protectedText);

}  // namespace settings
