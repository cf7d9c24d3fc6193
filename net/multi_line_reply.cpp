#include "net/multi_line_reply.h"

namespace net {

std::optional<std::vector<std::string>> readMultiLineReply(const std::function<bool(std::string&)>& readLine,
                                                           std::size_t maxLines) {
    std::vector<std::string> lines;
    std::string line;
    for (;;) {
        if (!readLine(line)) {
            return std::nullopt;
        }
        if (line == ".") {
            return lines;
        }
        if (lines.size() == maxLines) {
            return std::nullopt;
        }
        // The server doubles a leading dot.
        lines.push_back(!line.empty() && line[0] == '.' ? line.substr(1) : line);
    }
}

}  // namespace net
