#pragma once

#include <cstddef>
#include <string>

// SHA-256 (FIPS 180-4), for certificate fingerprints: the same digest on every platform.
namespace net {

// The digest of the bytes as 64 lower-case hexadecimal digits.
std::string sha256Hex(const void* data, std::size_t length);

}  // namespace net
