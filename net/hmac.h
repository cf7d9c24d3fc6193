#pragma once

#include <cstddef>
#include <string>

// HMAC (RFC 2104) over our MD5 and SHA-256, and PBKDF2 (RFC 8018) over HMAC-SHA-256: what the password
// mechanisms CRAM-MD5 and SCRAM-SHA-256 compute. Results are raw digest bytes.
namespace net {

std::string hmacMd5(const std::string& key, const std::string& message);
std::string hmacSha256(const std::string& key, const std::string& message);
std::string sha256(const std::string& message);
// The first block of PBKDF2-HMAC-SHA-256 (32 bytes, all SCRAM-SHA-256 needs): SCRAM's Hi().
std::string pbkdf2Sha256(const std::string& password, const std::string& salt, unsigned iterations);

}  // namespace net
