#include "mail/server_extensions.h"

namespace mail {

namespace {

bool firstWordIs(const std::string& line, const char* upperName) {
    std::size_t at = 0;
    for (; upperName[at] != '\0'; ++at) {
        if (at >= line.size()) {
            return false;
        }
        char c = line[at];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != upperName[at]) {
            return false;
        }
    }
    return at == line.size() || line[at] == ' ' || line[at] == '\t';
}

}  // namespace

ServerExtensions parseCapabilities(const std::vector<std::string>& lines) {
    ServerExtensions extensions;
    for (const std::string& line : lines) {
        extensions.uidl = extensions.uidl || firstWordIs(line, "UIDL");
        extensions.pipelining = extensions.pipelining || firstWordIs(line, "PIPELINING");
    }
    return extensions;
}

}  // namespace mail
