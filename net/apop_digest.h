#pragma once

#include <string>

namespace net {

// The APOP digest text: MD5 over the timestamp (with its angle brackets) followed directly by the
// password, as 32 lowercase hexadecimal digits.
std::string apopDigest(const std::string& timestamp, const std::string& password);

}  // namespace net
