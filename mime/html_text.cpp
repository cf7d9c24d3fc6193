#include "mime/html_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/ascii.h"
#include "base/decimal.h"
#include "base/hex_digits.h"
#include "text/shift_jis_writer.h"

namespace mime {

namespace {

struct NamedEntity {
    const char* name;
    char32_t codePoint;
};

// Names are matched as written; HTML5 knows the last few in capitals too.
constexpr NamedEntity kEntities[] = {
    {"amp", '&'},      {"lt", '<'},       {"gt", '>'},       {"quot", '"'},      {"apos", '\''},    {"nbsp", ' '},
    {"copy", 0xA9},    {"reg", 0xAE},     {"trade", 0x2122}, {"hellip", 0x2026}, {"mdash", 0x2014}, {"ndash", 0x2013},
    {"laquo", 0xAB},   {"raquo", 0xBB},   {"yen", 0xA5},     {"euro", 0x20AC},   {"middot", 0xB7},  {"bull", 0x2022},
    {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"ldquo", 0x201C}, {"rdquo", 0x201D},  {"times", 0xD7},   {"divide", 0xF7},
    {"deg", 0xB0},     {"plusmn", 0xB1},  {"sect", 0xA7},    {"para", 0xB6},     {"larr", 0x2190},  {"rarr", 0x2192},
    {"uarr", 0x2191},  {"darr", 0x2193},  {"zwnj", 0x200C},  {"zwj", 0x200D},    {"shy", 0xAD},     {"AMP", '&'},
    {"LT", '<'},       {"GT", '>'},       {"QUOT", '"'},     {"COPY", 0xA9},     {"REG", 0xAE},
};

constexpr std::size_t lengthOf(const char* text) {
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

constexpr std::size_t longestEntityName() {
    std::size_t longest = 0;
    for (const NamedEntity& entity : kEntities) {
        longest = std::max(longest, lengthOf(entity.name));
    }
    return longest;
}

// The most characters between a reference's '&' and its ';': the longest name known, or a numeric reference
// as long as "#x10FFFF" (the decimal "#1114111" is as long).
constexpr std::size_t kLongestReference = std::max(longestEntityName(), lengthOf("#x10FFFF"));

// Elements whose content is no text to read.
const char* const kSkippedContent[] = {"style", "script", "title"};

// Elements that begin or end a line of text.
const char* const kLineBreaking[] = {
    "br", "p",  "div",        "tr",  "li", "h1", "h2",      "h3",      "h4",     "h5",     "h6",     "table",  "ul",
    "ol", "hr", "blockquote", "pre", "dd", "dt", "section", "article", "header", "footer", "center", "address"};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool nameIs(std::string_view name, const char* known) {
    return base::equalsNoCase(name, known);
}

template <std::size_t N>
bool nameIn(std::string_view name, const char* const (&names)[N]) {
    for (const char* known : names) {
        if (nameIs(name, known)) {
            return true;
        }
    }
    return false;
}

// Collects the text, one line at a time, collapsing white space.
class TextCollector {
public:
    explicit TextCollector(std::size_t capacity) {
        out_.reserve(capacity);
    }
    void space() {
        pendingSpace_ = lineHasText_;
    }
    void lineBreak() {
        if (lineHasText_) {
            out_ += '\n';
        }
        lineHasText_ = false;
        pendingSpace_ = false;
    }
    void text(const char* begin, std::size_t length) {
        if (pendingSpace_) {
            out_ += ' ';
            pendingSpace_ = false;
        }
        out_.append(begin, length);
        lineHasText_ = true;
    }
    void codePoint(char32_t codePoint) {
        if (codePoint == ' ' || codePoint == 0xA0) {
            space();
            return;
        }
        if (codePoint == 0xAD || codePoint == 0x200C || codePoint == 0x200D || codePoint == 0xFEFF) {
            return;  // invisible
        }
        char bytes[2];
        char* end = text::putCodePoint(bytes, codePoint);
        text(bytes, static_cast<std::size_t>(end - bytes));
    }
    std::string finish() {
        lineBreak();
        return std::move(out_);
    }

private:
    std::string out_;
    bool lineHasText_ = false;
    bool pendingSpace_ = false;
};

// Decodes the reference at html[at] ('&'). Returns the position after it, or `at` when it is none.
std::size_t takeReference(std::string_view html, std::size_t at, TextCollector& out) {
    // The ';' is looked for only as far as a reference can reach: a search through the rest of the document
    // for every '&' would make a text full of them take time growing with the square of its length.
    const std::size_t length = html.substr(at + 1, kLongestReference + 1).find(';');
    if (length == std::string_view::npos) {
        return at;
    }
    const std::size_t semicolon = at + 1 + length;
    const std::string_view body = html.substr(at + 1, length);
    if (!body.empty() && body[0] == '#') {
        const bool hex = body.size() > 1 && (body[1] == 'x' || body[1] == 'X');
        const std::string_view number = body.substr(hex ? 2 : 1);
        // Past the last code point the value stays there: the reference then stands for U+FFFD.
        constexpr std::uint32_t kBeyond = 0x110000;
        std::uint32_t value = 0;
        std::size_t digits = 0;
        if (hex) {
            for (; digits < number.size() && base::hexDigitValue(number[digits]) < 16; ++digits) {
                value = std::min(kBeyond, value * 16 + base::hexDigitValue(number[digits]));
            }
        } else {
            const base::Decimal decimal = base::readDecimal(number, kBeyond);
            value = decimal.value;
            digits = decimal.digits;
        }
        if (digits == 0 || digits != number.size()) {
            return at;
        }
        out.codePoint(value == 0 || value > 0x10FFFF ? 0xFFFD : value);
        return semicolon + 1;
    }
    for (const NamedEntity& entity : kEntities) {
        if (body == entity.name) {
            out.codePoint(entity.codePoint);
            return semicolon + 1;
        }
    }
    return at;
}

// The position just after the '>' that closes the tag starting at `at`, quoted values honoured; npos when the
// document ends first.
std::size_t tagEnd(std::string_view html, std::size_t at) {
    char quote = 0;
    for (std::size_t i = at + 1; i < html.size(); ++i) {
        const char c = html[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

// The position after the closing tag of `name` at or after `from`; npos when it never comes.
std::size_t afterClosingTag(std::string_view html, std::size_t from, std::string_view name) {
    for (std::size_t at = html.find("</", from); at != std::string_view::npos; at = html.find("</", at + 2)) {
        const std::string_view rest = html.substr(at + 2);
        if (base::startsWithNoCase(rest, name) && (rest.size() == name.size() || !isNameChar(rest[name.size()]))) {
            return tagEnd(html, at);
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::string htmlToText(std::string_view html) {
    TextCollector out(html.size());
    std::size_t i = 0;
    const std::size_t n = html.size();
    while (i < n) {
        const char c = html[i];
        if (isSpace(c)) {
            out.space();
            ++i;
            continue;
        }
        if (c == '&') {
            const std::size_t next = takeReference(html, i, out);
            if (next != i) {
                i = next;
                continue;
            }
        } else if (c == '<' && html.compare(i, 4, "<!--") == 0) {
            const std::size_t close = html.find("-->", i + 4);
            if (close == std::string_view::npos) {
                break;
            }
            i = close + 3;
            continue;
        } else if (c == '<' && i + 1 < n &&
                   (isNameChar(html[i + 1]) || html[i + 1] == '/' || html[i + 1] == '!' || html[i + 1] == '?')) {
            const bool closing = html[i + 1] == '/';
            std::size_t nameStart = i + (closing ? 2 : 1);
            std::size_t nameEnd = nameStart;
            while (nameEnd < n && isNameChar(html[nameEnd])) {
                ++nameEnd;
            }
            const std::string_view name = html.substr(nameStart, nameEnd - nameStart);
            std::size_t next = tagEnd(html, i);
            if (next == std::string_view::npos) {
                break;  // a tag cut off by the end of what arrived
            }
            if (!closing && nameIn(name, kSkippedContent)) {
                next = afterClosingTag(html, next, name);
                if (next == std::string_view::npos) {
                    break;
                }
            } else if (nameIn(name, kLineBreaking)) {
                out.lineBreak();
            } else if (nameIs(name, "td") || nameIs(name, "th")) {
                out.space();
            }
            i = next;
            continue;
        }
        // Plain text up to the next character with a meaning; Shift_JIS trail bytes are never below 0x40, so
        // none of those can hide inside a character.
        std::size_t end = i + 1;
        while (end < n && !isSpace(html[end]) && html[end] != '<' && html[end] != '&') {
            ++end;
        }
        out.text(html.data() + i, end - i);
        i = end;
    }
    return out.finish();
}

}  // namespace mime
