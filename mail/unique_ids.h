#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mail {

// A unique id as POP3 allows it: 1 to 70 characters, each printable ASCII from 0x21 to 0x7E.
bool isValidUniqueId(const std::string& id);

// Reads the lines of a UIDL reply (after "+OK", without the closing ".") for a mailbox of `count` messages:
// line k must be "k id". The ids in message order, or nothing when the reply cannot be trusted to name each
// message once: a line out of order or malformed, an invalid id, an id given twice, or fewer or more lines
// than `count`. A check must not act on such a list, least of all delete by it.
std::optional<std::vector<std::string>> parseUniqueIds(const std::vector<std::string>& lines, int count);

}  // namespace mail
