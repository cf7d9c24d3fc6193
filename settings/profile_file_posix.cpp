#include "settings/profile_file.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "base/shift_jis.h"
#include "settings/ini_document.h"

namespace settings::profile_file {
namespace {

// The whole file; an empty text when it does not exist, nothing when it exists but cannot be read.
std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::error_code error;
        bool missing = !std::filesystem::exists(path, error) && !error;
        return missing ? std::optional<std::string>("") : std::nullopt;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return text;
}

// The value as the platform hands it out: a C string, so a zero byte ends it.
std::string valueOf(const std::string& path, const std::string& section, const std::string& key) {
    std::optional<std::string> text = readFile(path);
    if (!text) {
        return {};
    }
    std::string value = IniDocument(*text).value(section, key);
    return value.substr(0, value.find('\0'));
}

unsigned digitValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'a' && c <= 'z') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'Z') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    return 36;
}

// The leading number as Windows reads it (strtol cannot: the prefixes differ and it saturates): control characters
// and blanks skipped, one sign, an optional lower-case 0x, 0o or 0b prefix, the digits of that base, wrapping
// around at 32 bits. No digits give 0.
int leadingNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        char prefix = text[i + 1];
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
        if (base != 10) {
            i += 2;
        }
    }
    std::uint32_t number = 0;
    for (; i < text.size() && digitValue(text[i]) < base; ++i) {
        number = number * base + digitValue(text[i]);
    }
    if (negative) {
        number = 0u - number;
    }
    return static_cast<int>(number);
}

}  // namespace

int readInt(const std::string& path, const std::string& section, const std::string& key, int defaultValue) {
    std::string value = valueOf(path, section, key);
    return value.empty() ? defaultValue : leadingNumber(value);
}

std::string readString(const std::string& path, const std::string& section, const std::string& key) {
    return std::string(base::cutAtCharacter(valueOf(path, section, key), kMaxStringBytes));
}

void writeString(const std::string& path,
                 const std::string& section,
                 const std::string& key,
                 const std::string& value) {
    // A file that exists but cannot be read is left alone rather than replaced by this one key.
    std::optional<std::string> text = readFile(path);
    if (!text) {
        return;
    }
    IniDocument document(*text);
    document.set(section, key, value);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << document.text();
}

std::vector<std::string> sectionNames(const std::string& path) {
    std::optional<std::string> text = readFile(path);
    return text ? IniDocument(*text).sectionNames() : std::vector<std::string>();
}

void removeSection(const std::string& path, const std::string& section) {
    std::optional<std::string> text = readFile(path);
    if (!text) {
        return;
    }
    IniDocument document(*text);
    if (document.removeSection(section)) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << document.text();
    }
}

}  // namespace settings::profile_file
