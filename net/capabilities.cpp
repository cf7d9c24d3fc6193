#include "net/capabilities.h"

#include "base/ascii.h"
#include "net/multi_line_reply.h"

namespace net {

void Capabilities::add(const std::string& line) {
    if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
        return;
    }
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start < line.size()) {
        std::size_t end = line.find_first_of(" \t", start);
        if (end == std::string::npos) {
            end = line.size();
        }
        if (end > start) {
            words.push_back(line.substr(start, end - start));
        }
        start = end + 1;
    }
    if (!words.empty()) {
        lines.push_back(std::move(words));
    }
}

bool Capabilities::has(const std::string& name) const {
    for (const std::vector<std::string>& words : lines) {
        if (base::equalsNoCase(words.front(), name)) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> Capabilities::arguments(const std::string& name) const {
    for (const std::vector<std::string>& words : lines) {
        if (base::equalsNoCase(words.front(), name)) {
            return std::vector<std::string>(words.begin() + 1, words.end());
        }
    }
    return {};
}

std::optional<Capabilities> readCapabilities(const std::function<bool(std::string&)>& readLine) {
    std::optional<std::vector<std::string>> lines = readMultiLineReply(readLine, kMaxCapabilityLines);
    if (!lines) {
        return std::nullopt;
    }
    Capabilities capabilities;
    for (const std::string& line : *lines) {
        capabilities.add(line);
    }
    return capabilities;
}

}  // namespace net
