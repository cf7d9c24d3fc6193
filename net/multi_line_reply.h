#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace net {

// Reads the lines of a POP3 multi-line reply after its positive first line, up to the terminating "." (not
// included), undoing the doubled leading dots. `readLine` gives the next line or false when none can be read;
// then the result is nothing. So is it when the reply holds more than maxLines lines: reading stops at the first
// line too many, so that a reply without end costs neither memory nor more reads (the rest is left unread).
std::optional<std::vector<std::string>> readMultiLineReply(const std::function<bool(std::string&)>& readLine,
                                                           std::size_t maxLines);

}  // namespace net
