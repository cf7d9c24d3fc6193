#include "mail/unique_ids.h"

#include <unordered_set>

namespace mail {

bool isValidUniqueId(const std::string& id) {
    if (id.empty() || id.size() > 70) {
        return false;
    }
    for (char c : id) {
        if (c < 0x21 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

std::optional<std::vector<std::string>> parseUniqueIds(const std::vector<std::string>& lines, int count) {
    if (count < 0 || lines.size() != static_cast<std::size_t>(count)) {
        return std::nullopt;
    }
    std::vector<std::string> ids;
    ids.reserve(lines.size());
    std::unordered_set<std::string> seen;
    seen.reserve(lines.size());
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string& line = lines[k];
        const std::string number = std::to_string(k + 1) + " ";
        if (line.compare(0, number.size(), number) != 0) {
            return std::nullopt;
        }
        std::string id = line.substr(number.size());
        if (!isValidUniqueId(id) || !seen.insert(id).second) {
            return std::nullopt;
        }
        ids.push_back(std::move(id));
    }
    return ids;
}

}  // namespace mail
