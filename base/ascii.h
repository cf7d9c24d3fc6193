#pragma once

#include <string_view>

// ASCII text as the protocols and files read it: letter case folded only for A-Z, never by the locale, so a
// Shift_JIS or UTF-8 byte is never taken for a letter.
namespace base {

template <typename Char>
constexpr Char toLower(Char c) {
    return (c >= Char('A') && c <= Char('Z')) ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

namespace ascii_detail {

template <typename Char>
bool startsWithNoCase(std::basic_string_view<Char> text, std::basic_string_view<Char> prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (toLower(text[i]) != toLower(prefix[i])) {
            return false;
        }
    }
    return true;
}

template <typename Char>
std::basic_string_view<Char> trim(std::basic_string_view<Char> text, std::basic_string_view<Char> blanks) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::basic_string_view<Char>::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace ascii_detail

// Whether `text` begins with `prefix`, ASCII letter case ignored.
inline bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return ascii_detail::startsWithNoCase(text, prefix);
}

// Whether the two are the same text, ASCII letter case ignored.
inline bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && startsWithNoCase(a, b);
}
inline bool equalsNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && ascii_detail::startsWithNoCase(a, b);
}

// Blanks, tabs and line ends: what trim takes away unless told otherwise.
inline constexpr std::string_view kBlanks = " \t\r\n";

// `text` without the `blanks` at its start and its end.
inline std::string_view trim(std::string_view text, std::string_view blanks = kBlanks) {
    return ascii_detail::trim(text, blanks);
}
inline std::wstring_view trim(std::wstring_view text, std::wstring_view blanks = L" \t\r\n") {
    return ascii_detail::trim(text, blanks);
}

// False when the text holds a CR, LF or zero byte: as part of a command line (or an INI line) it would end the
// line early and could smuggle in commands of its own (a DELE, say).
inline bool fitsOneLine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

}  // namespace base
