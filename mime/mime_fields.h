#pragma once

#include <string>
#include <string_view>

namespace mime {

// The media type of a Content-Type value, lower case without blanks: "multipart/alternative".
std::string mediaTypeOf(std::string_view contentType);

// True when the media type of a Content-Type value is multipart/..., read as mediaTypeOf reads it, without making
// the string.
bool isMultipart(std::string_view contentType);

// True when a media type as mediaTypeOf gives it is well-formed: a type and a subtype, each a token (RFC 2045).
bool isWellFormedMediaType(std::string_view type);

// True when a Content-Type value names an enclosed message (message/rfc822, message/global): a forwarded mail, or
// the returned one of a delivery report.
bool enclosesMessage(std::string_view contentType);

// The value of one parameter of a Content-Type (or Content-Disposition) value, quotes removed; the name is
// matched without regard to letter case. Empty when the parameter is missing.
std::string parameterOf(std::string_view fieldValue, std::string_view name);

}  // namespace mime
