#pragma once

#include <optional>
#include <string>
#include <string_view>

// Strict Base64 (RFC 4648) for protocol values: SASL challenges and responses, PKCE, stored secrets. Mail text
// has its own lenient decoders, as mail must be read whatever it holds; a protocol value that is not exact
// Base64 is refused.
namespace base {

// With '=' padding, on one line.
std::string encodeBase64(std::string_view bytes);
// The URL-safe alphabet ('-', '_') without padding (RFC 4648 section 5), as PKCE and JWTs use it.
std::string encodeBase64Url(std::string_view bytes);
// Nothing unless the text is whole groups of four alphabet characters with correct padding and zero pad bits.
std::optional<std::string> decodeBase64(std::string_view text);

}  // namespace base
