#include "mime/mime_fields.h"

namespace mime {

namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lower(text[i]) != lower(prefix[i])) {
            return false;
        }
    }
    return true;
}

std::string mediaTypeOf(std::string_view contentType) {
    const std::string_view type = trimmed(contentType.substr(0, contentType.find(';')));
    std::string out;
    out.reserve(type.size());
    for (const char c : type) {
        if (!isBlank(c)) {
            out += lower(c);
        }
    }
    return out;
}

bool isMultipart(std::string_view contentType) {
    constexpr std::string_view kMultipart = "multipart/";
    std::size_t matched = 0;
    for (const char c : contentType) {
        if (c == ';') {
            break;
        }
        if (isBlank(c)) {
            continue;
        }
        if (lower(c) != kMultipart[matched]) {
            return false;
        }
        if (++matched == kMultipart.size()) {
            return true;
        }
    }
    return false;
}

std::string parameterOf(std::string_view fieldValue, std::string_view name) {
    std::string_view rest = fieldValue;
    for (std::size_t semicolon = rest.find(';'); semicolon != std::string_view::npos;) {
        rest.remove_prefix(semicolon + 1);
        const std::size_t equals = rest.find('=');
        if (equals == std::string_view::npos) {
            break;
        }
        const std::string_view key = trimmed(rest.substr(0, equals));
        std::size_t i = equals + 1;
        while (i < rest.size() && isBlank(rest[i])) {
            ++i;
        }
        std::string value;
        if (i < rest.size() && rest[i] == '"') {
            for (++i; i < rest.size() && rest[i] != '"'; ++i) {
                if (rest[i] == '\\' && i + 1 < rest.size()) {
                    ++i;
                }
                value += rest[i];
            }
            semicolon = rest.find(';', i);
        } else {
            semicolon = rest.find(';', i);
            value =
                std::string(trimmed(rest.substr(i, semicolon == std::string_view::npos ? semicolon : semicolon - i)));
        }
        if (key.size() == name.size() && startsWithNoCase(key, name)) {
            return value;
        }
    }
    return {};
}

}  // namespace mime
