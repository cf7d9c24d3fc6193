#include "mime/mime_fields.h"

#include "base/ascii.h"

namespace mime {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Token characters: printable ASCII but the blank and RFC 2045's tspecials.
bool isTokenChar(char c) {
    constexpr std::string_view kSpecials = "()<>@,;:\\\"/[]?=";
    return c > ' ' && c < 0x7F && kSpecials.find(c) == std::string_view::npos;
}

}  // namespace

bool isWellFormedMediaType(std::string_view type) {
    const std::size_t slash = type.find('/');
    if (slash == 0 || slash == std::string_view::npos || slash + 1 == type.size()) {
        return false;
    }
    for (std::size_t i = 0; i < type.size(); ++i) {
        if (i != slash && !isTokenChar(type[i])) {
            return false;
        }
    }
    return true;
}

bool enclosesMessage(std::string_view contentType) {
    const std::string type = mediaTypeOf(contentType);
    return type == "message/rfc822" || type == "message/global";
}

std::string mediaTypeOf(std::string_view contentType) {
    const std::string_view type = base::trim(contentType.substr(0, contentType.find(';')));
    std::string out;
    out.reserve(type.size());
    for (const char c : type) {
        if (!isBlank(c)) {
            out += base::toLower(c);
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
        if (base::toLower(c) != kMultipart[matched]) {
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
        const std::string_view key = base::trim(rest.substr(0, equals));
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
            value = std::string(
                base::trim(rest.substr(i, semicolon == std::string_view::npos ? semicolon : semicolon - i)));
        }
        if (base::equalsNoCase(key, name)) {
            return value;
        }
    }
    return {};
}

}  // namespace mime
