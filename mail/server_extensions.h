#pragma once

#include <string>
#include <vector>

namespace mail {

// The POP3 extensions a check uses, as the server's CAPA reply names them.
struct ServerExtensions {
    bool uidl = false;        // UIDL: a unique id per message that stays the same across sessions
    bool pipelining = false;  // PIPELINING: commands may be sent without waiting for each reply
};

// Reads the capability lines of a CAPA reply (the lines after "+OK", without the closing "."): the first
// word of each line names a capability, in any letter case.
ServerExtensions parseCapabilities(const std::vector<std::string>& lines);

}  // namespace mail
