#include "mime/body_preview.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "base/ascii.h"
#include "mime/html_text.h"
#include "mime/mime_fields.h"
#include "mime/transfer_decoding.h"
#include "text/to_shift_jis.h"

namespace mime {

namespace {

// Deeper nesting than this is no real mail; the walk stops there.
constexpr int kMaxNesting = 8;

struct Part {
    std::string contentType;
    std::string transferEncoding;
    std::string disposition;
    std::size_t begin = 0;  // first body line
    std::size_t end = 0;    // after the last body line
};

// What a part is to the preview.
enum class Kind {
    Plain,      // text/plain, no type, or a type that cannot be read (RFC 2045 reads it as text/plain)
    Html,       // text/html
    OtherText,  // any other text/*: shown as plain text when nothing better comes
    Enclosed,   // a message inside (message/rfc822): its own text counts after the enclosing message's
    Other,      // attachments, images and the like
};

Kind kindOf(std::string_view contentType) {
    const std::string type = mediaTypeOf(contentType);
    if (type.empty() || type == "text/plain") {
        return Kind::Plain;
    }
    if (type == "text/html") {
        return Kind::Html;
    }
    if (!isWellFormedMediaType(type)) {
        // "text; charset=us-ascii" and the like mean plain text; other garbled values are read as text only when
        // nothing better is there.
        return type.compare(0, 4, "text") == 0 ? Kind::Plain : Kind::OtherText;
    }
    if (type.compare(0, 5, "text/") == 0) {
        return Kind::OtherText;
    }
    return enclosesMessage(contentType) ? Kind::Enclosed : Kind::Other;
}

// The best part found so far. Ranks: text/plain 0, text/html 1, other text 2, each 3 more inside an enclosed message,
// so that what the enclosing message says itself comes first; among equals the first one found.
struct Choice {
    static constexpr int kNone = 100;
    static constexpr int kEnclosed = 3;
    std::optional<Part> best;
    int rank = kNone;

    bool html() const {
        return rank % kEnclosed == 1;
    }
};

bool isContinuation(const std::string& line) {
    return !line.empty() && (line[0] == ' ' || line[0] == '\t');
}

// True when the header line names `field` ("Content-Type"); `value` is then what follows the colon.
bool valueOf(const std::string& line, std::string_view field, std::string_view& value) {
    if (line.size() > field.size() && line[field.size()] == ':' && base::startsWithNoCase(line, field)) {
        value = std::string_view(line).substr(field.size() + 1);
        return true;
    }
    return false;
}

// Reads the part header from lines[at]; false when it does not end (with an empty line) before `end`.
bool readPartHeader(const std::vector<std::string>& lines, std::size_t at, std::size_t end, Part& part) {
    std::string* open = nullptr;  // the field whose continuation lines may follow
    for (; at < end; ++at) {
        const std::string& line = lines[at];
        if (line.empty()) {
            part.begin = at + 1;
            return true;
        }
        if (isContinuation(line)) {
            if (open != nullptr) {
                *open += line;
            }
            continue;
        }
        open = nullptr;
        std::string_view value;
        if (valueOf(line, "Content-Type", value)) {
            open = &part.contentType;
        } else if (valueOf(line, "Content-Transfer-Encoding", value)) {
            open = &part.transferEncoding;
        } else if (valueOf(line, "Content-Disposition", value)) {
            open = &part.disposition;
        }
        if (open != nullptr) {
            *open = value;
        }
    }
    return false;
}

// 0 for no boundary line, 1 for a delimiter, 2 for the closing delimiter. Blanks after it are allowed.
int boundaryKind(const std::string& line, const std::string& boundary) {
    if (line.size() < boundary.size() + 2 || line[0] != '-' || line[1] != '-' ||
        line.compare(2, boundary.size(), boundary) != 0) {
        return 0;
    }
    std::string_view rest = std::string_view(line).substr(boundary.size() + 2);
    int kind = 1;
    if (rest.size() >= 2 && rest[0] == '-' && rest[1] == '-') {
        kind = 2;
        rest.remove_prefix(2);
    }
    return rest.find_first_not_of(" \t") == std::string_view::npos ? kind : 0;
}

void choose(const std::vector<std::string>& lines,
            std::size_t begin,
            std::size_t end,
            const std::string& boundary,
            int depth,
            int base,
            Choice& choice);

// Takes the part as the text to show when it ranks above the choice so far; `part` may be left empty. `base` is 0,
// or Choice::kEnclosed inside an enclosed message.
void consider(const std::vector<std::string>& lines, Part& part, int depth, int base, Choice& choice) {
    if (isMultipart(part.contentType)) {
        const std::string boundary = parameterOf(part.contentType, "boundary");
        if (!boundary.empty() && depth < kMaxNesting) {
            choose(lines, part.begin, part.end, boundary, depth + 1, base, choice);
        }
        return;
    }
    const Kind kind = kindOf(part.contentType);
    if (kind == Kind::Enclosed) {
        // A forwarded mail is often marked as an attachment, and is read all the same. Its header is read like a
        // part's; an encoded one (which RFC 2046 forbids) is passed over.
        const std::string_view encoding = base::trim(part.transferEncoding);
        const bool encoded =
            base::startsWithNoCase(encoding, "base64") || base::startsWithNoCase(encoding, "quoted-printable");
        Part inner;
        if (!encoded && depth < kMaxNesting && choice.rank > Choice::kEnclosed &&
            readPartHeader(lines, part.begin, part.end, inner)) {
            inner.end = part.end;
            consider(lines, inner, depth + 1, Choice::kEnclosed, choice);
        }
        return;
    }
    if (kind == Kind::Other || base::startsWithNoCase(part.disposition, "attachment")) {
        return;
    }
    const int rank = base + (kind == Kind::Plain ? 0 : kind == Kind::Html ? 1 : 2);
    if (rank < choice.rank) {
        choice.best = std::move(part);
        choice.rank = rank;
    }
}

// Walks the parts of one multipart body in lines[begin, end).
void choose(const std::vector<std::string>& lines,
            std::size_t begin,
            std::size_t end,
            const std::string& boundary,
            int depth,
            int base,
            Choice& choice) {
    std::size_t at = begin;
    while (at < end && boundaryKind(lines[at], boundary) != 1) {
        ++at;  // the preamble
    }
    while (at < end && choice.rank > 0) {
        std::size_t next = at + 1;
        int kind = 0;
        while (next < end && (kind = boundaryKind(lines[next], boundary)) == 0) {
            ++next;
        }
        Part part;
        if (readPartHeader(lines, at + 1, next, part)) {
            part.end = next;
            consider(lines, part, depth, base, choice);
        }
        if (kind != 1) {
            break;  // the closing delimiter, or the end of what arrived
        }
        at = next;
    }
}

// Walks a multipart message, or one that encloses a message, for the part to read. False when a multipart message
// has no boundary: none named and no line that looks like a delimiter.
bool findPart(std::string_view contentType, const std::vector<std::string>& lines, Choice& choice) {
    Part whole;
    whole.contentType = contentType;
    whole.end = lines.size();
    if (!isMultipart(contentType)) {
        // An empty line before the enclosed header is one that some servers add after the message's own.
        while (whole.begin < whole.end && lines[whole.begin].empty()) {
            ++whole.begin;
        }
        consider(lines, whole, 0, 0, choice);
        return true;
    }
    std::string boundary = parameterOf(contentType, "boundary");
    if (boundary.empty()) {
        // Without its parameter, the first line that looks like a delimiter names the boundary.
        for (const std::string& line : lines) {
            if (line.size() > 2 && line[0] == '-' && line[1] == '-') {
                boundary = line.substr(2, line.find_last_not_of(" \t") - 1);
                break;
            }
        }
    }
    if (boundary.empty()) {
        return false;
    }
    choose(lines, 0, lines.size(), boundary, 1, 0, choice);
    return true;
}

// The part's text in Shift_JIS, HTML reduced, written over `out`. All of it happens in `out`'s room: the transfer
// encoding is decoded there, the charset converted behind those bytes and moved to the front.
void readableText(const std::vector<std::string>& lines,
                  std::string_view contentType,
                  std::string_view transferEncoding,
                  std::size_t begin,
                  std::size_t end,
                  bool html,
                  std::string& out) {
    decodeTransfer(transferEncoding, lines, begin, end, out);
    const std::string charsetName = parameterOf(contentType, "charset");
    const text::Charset charset = charsetName.empty() ? text::Charset::Ascii : text::charsetByName(charsetName);
    if (charset != text::Charset::Unknown && charset != text::Charset::ShiftJis) {  // else the bytes stay as they are
        const std::size_t size = out.size();
        out.resize(3 * size);  // every converter writes at most two bytes per byte read
        char* const bytes = &out[0];
        char* const converted = bytes + size;
        const char* const convertedEnd = text::writeShiftJis(charset, std::string_view(bytes, size), converted);
        const auto length = static_cast<std::size_t>(convertedEnd - converted);
        std::memmove(bytes, converted, length);
        out.resize(length);
    }
    if (html) {
        out = htmlToText(out);
    }
}

// Keeps the first `headCount` non-empty lines of the text, each followed by one blank instead of its line end.
// Done in place: no line grows, so what is written never overtakes what is still to be read; until a line is
// dropped, a line stays where it is and only its line end becomes the blank.
void keepFirstLines(std::string& text, int headCount) {
    text.push_back('\n');  // every line ends with one, the last one too
    char* const begin = &text[0];
    const char* read = begin;
    const char* const end = begin + text.size();
    char* write = begin;
    int taken = 0;
    while (read < end && taken < headCount) {
        const char* newline = static_cast<const char*>(std::memchr(read, '\n', static_cast<std::size_t>(end - read)));
        const char* lineEnd = newline > read && newline[-1] == '\r' ? newline - 1 : newline;
        if (lineEnd > read) {
            const auto length = static_cast<std::size_t>(lineEnd - read);
            if (write != read) {
                std::memmove(write, read, length);
            }
            write += length;
            *write++ = ' ';
            ++taken;
        }
        read = newline + 1;
    }
    text.resize(static_cast<std::size_t>(write - begin));
}

}  // namespace

void previewBody(std::string_view contentType,
                 std::string_view transferEncoding,
                 const std::vector<std::string>& lines,
                 int headCount,
                 std::string& out) {
    if (!isMultipart(contentType)) {
        const Kind kind = kindOf(contentType);
        if (kind == Kind::Other) {
            out.clear();
            return;  // not text
        }
        if (kind != Kind::Enclosed) {
            // A single part, the common case: read where it lies, with no part record to fill. text/enriched and
            // the like are shown as they stand: better shown than hidden.
            readableText(lines, contentType, transferEncoding, 0, lines.size(), kind == Kind::Html, out);
            keepFirstLines(out, headCount);
            return;
        }
    }
    Choice choice;
    if (!findPart(contentType, lines, choice)) {
        // No parts to find: read it as text.
        readableText(lines, {}, transferEncoding, 0, lines.size(), false, out);
        keepFirstLines(out, headCount);
        return;
    }
    if (!choice.best) {
        out.clear();
        return;
    }
    const Part& chosen = *choice.best;
    readableText(lines, chosen.contentType, chosen.transferEncoding, chosen.begin, chosen.end, choice.html(), out);
    keepFirstLines(out, headCount);
}

text::Charset declaredCharset(std::string_view contentType, const std::vector<std::string>& lines) {
    const std::string name = parameterOf(contentType, "charset");
    if (!name.empty()) {
        return text::charsetByName(name);
    }
    Choice choice;
    if ((!isMultipart(contentType) && !enclosesMessage(contentType)) || !findPart(contentType, lines, choice) ||
        !choice.best) {
        return text::Charset::Unknown;
    }
    return text::charsetByName(parameterOf(choice.best->contentType, "charset"));
}

}  // namespace mime
