#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace net {

// Reads the lines of a POP3 multi-line reply after its positive first line, up to the terminating "." (not
// included), undoing the doubled leading dots. `readLine` gives the next line or false when none can be read;
// then the result is nothing.
std::optional<std::vector<std::string>> readMultiLineReply(const std::function<bool(std::string&)>& readLine);

}  // namespace net
