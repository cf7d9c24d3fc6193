#include "settings/ini_document.h"

#include <algorithm>
#include <utility>

#include "base/ascii.h"
#include "base/shift_jis.h"

namespace settings {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kBlanks[] = " \t\v\f\x1A";  // 0x1A: the old end-of-file mark counts as a blank as well

std::string trimmed(const std::string& text) {
    return std::string(base::trim(text, kBlanks));
}

// Names match without regard to ASCII case; a two-byte character matches only itself.
bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (base::isShiftJisLeadByte(a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
                return false;
            }
            ++i;
        } else if (base::toLower(a[i]) != base::toLower(b[i])) {
            return false;
        }
    }
    return true;
}

// The section name when the line is a "[name]" header.
bool parseHeader(const std::string& line, std::string& name) {
    std::string text = trimmed(line);
    std::size_t close = text.rfind(']');
    if (text.empty() || text[0] != '[' || close == std::string::npos) {
        return false;
    }
    name = trimmed(text.substr(1, close - 1));
    return true;
}

// The key of an entry line, empty for a blank line.
std::string entryKey(const std::string& line) {
    return trimmed(line.substr(0, line.find('=')));
}

std::string entryValue(const std::string& line) {
    std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return {};
    }
    std::string value = trimmed(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

IniDocument::IniDocument(const std::string& text) {
    std::size_t pos = 0;
    if (text.compare(0, 3, kByteOrderMark) == 0) {
        byteOrderMark_ = kByteOrderMark;
        pos = 3;
    }
    while (pos < text.size()) {
        std::size_t stop = text.find_first_of("\r\n", pos);
        if (stop == std::string::npos) {
            lines_.push_back({text.substr(pos), ""});
            break;
        }
        std::size_t endLength = text.compare(stop, 2, "\r\n") == 0 ? 2 : 1;
        lines_.push_back({text.substr(pos, stop - pos), text.substr(stop, endLength)});
        pos = stop + endLength;
    }
    auto withEnd = std::find_if(lines_.begin(), lines_.end(), [](const Line& line) { return !line.end.empty(); });
    newLineEnd_ = withEnd != lines_.end() ? withEnd->end : "\r\n";
}

std::string IniDocument::value(const std::string& section, const std::string& key) const {
    std::size_t header = findSection(section);
    if (header == std::string::npos) {
        return {};
    }
    std::size_t line = findKey(header, key);
    return line == std::string::npos ? std::string() : entryValue(lines_[line].content);
}

void IniDocument::set(const std::string& section, const std::string& key, const std::string& value) {
    std::string keyName = trimmed(key);
    std::size_t header = findSection(section);
    if (header == std::string::npos) {
        insertLine(lines_.size(), "[" + trimmed(section) + "]");
        insertLine(lines_.size(), keyName + "=" + value);
        return;
    }
    std::size_t line = findKey(header, keyName);
    if (line != std::string::npos) {
        // The key keeps the spelling it has in the file.
        lines_[line].content = entryKey(lines_[line].content) + "=" + value;
        return;
    }
    // After the section's last entry, so that blank lines before the next section stay where they are.
    std::size_t after = header + 1;
    std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (!entryKey(lines_[i].content).empty()) {
            after = i + 1;
        }
    }
    insertLine(after, keyName + "=" + value);
}

std::vector<std::string> IniDocument::sectionNames() const {
    std::vector<std::string> names;
    std::string name;
    for (const Line& line : lines_) {
        if (parseHeader(line.content, name) &&
            std::none_of(names.begin(), names.end(),
                         [&name](const std::string& seen) { return sameName(seen, name); })) {
            names.push_back(name);
        }
    }
    return names;
}

bool IniDocument::removeSection(const std::string& section) {
    bool removed = false;
    for (std::size_t header = findSection(section); header != std::string::npos; header = findSection(section)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(sectionEnd(header)));
        removed = true;
    }
    return removed;
}

std::string IniDocument::text() const {
    std::string text = byteOrderMark_;
    for (const Line& line : lines_) {
        text += line.content;
        text += line.end;
    }
    return text;
}

std::size_t IniDocument::findSection(const std::string& name) const {
    std::string wanted = trimmed(name);
    std::string found;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (parseHeader(lines_[i].content, found) && sameName(found, wanted)) {
            return i;
        }
    }
    return std::string::npos;
}

std::size_t IniDocument::sectionEnd(std::size_t header) const {
    std::string ignored;
    for (std::size_t i = header + 1; i < lines_.size(); ++i) {
        if (parseHeader(lines_[i].content, ignored)) {
            return i;
        }
    }
    return lines_.size();
}

std::size_t IniDocument::findKey(std::size_t header, const std::string& name) const {
    std::string wanted = trimmed(name);
    std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const std::string& content = lines_[i].content;
        if (trimmed(content).empty()) {
            continue;  // a blank line is no entry, not even one with an empty key
        }
        if (sameName(entryKey(content), wanted)) {
            return i;
        }
    }
    return std::string::npos;
}

void IniDocument::insertLine(std::size_t index, std::string content) {
    // A last line without a line end gets one before anything follows it.
    if (index > 0 && lines_[index - 1].end.empty()) {
        lines_[index - 1].end = newLineEnd_;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), Line{std::move(content), newLineEnd_});
}

}  // namespace settings
