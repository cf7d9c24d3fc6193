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

struct Choice {
    std::optional<Part> plain;
    std::optional<Part> html;
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
            Choice& choice);

// Takes the part as the text to show when it is the first of its kind; `part` may be left empty.
void consider(const std::vector<std::string>& lines, Part& part, int depth, Choice& choice) {
    if (isMultipart(part.contentType)) {
        const std::string boundary = parameterOf(part.contentType, "boundary");
        if (!boundary.empty() && depth < kMaxNesting) {
            choose(lines, part.begin, part.end, boundary, depth + 1, choice);
        }
        return;
    }
    if (base::startsWithNoCase(part.disposition, "attachment")) {
        return;
    }
    const std::string type = mediaTypeOf(part.contentType);
    if ((type.empty() || type == "text/plain") && !choice.plain) {
        choice.plain = std::move(part);
    } else if (type == "text/html" && !choice.html) {
        choice.html = std::move(part);
    }
}

// Walks the parts of one multipart body in lines[begin, end).
void choose(const std::vector<std::string>& lines,
            std::size_t begin,
            std::size_t end,
            const std::string& boundary,
            int depth,
            Choice& choice) {
    std::size_t at = begin;
    while (at < end && boundaryKind(lines[at], boundary) != 1) {
        ++at;  // the preamble
    }
    while (at < end && !choice.plain) {
        std::size_t next = at + 1;
        int kind = 0;
        while (next < end && (kind = boundaryKind(lines[next], boundary)) == 0) {
            ++next;
        }
        Part part;
        if (readPartHeader(lines, at + 1, next, part)) {
            part.end = next;
            consider(lines, part, depth, choice);
        }
        if (kind != 1) {
            break;  // the closing delimiter, or the end of what arrived
        }
        at = next;
    }
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
        const std::string type = mediaTypeOf(contentType);
        // A single part, the common case: read where it lies, with no part record to fill.
        const bool html = type == "text/html";
        if (!html && !type.empty() && type.compare(0, 5, "text/") != 0) {
            out.clear();
            return;  // not text
        }
        // text/enriched and the like are shown as they stand: better shown than hidden.
        readableText(lines, contentType, transferEncoding, 0, lines.size(), html, out);
        keepFirstLines(out, headCount);
        return;
    }
    Choice choice;
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
        // No parts to find: read it as text.
        readableText(lines, {}, transferEncoding, 0, lines.size(), false, out);
        keepFirstLines(out, headCount);
        return;
    }
    choose(lines, 0, lines.size(), boundary, 1, choice);
    const Part* chosen = choice.plain ? &*choice.plain : choice.html ? &*choice.html : nullptr;
    if (chosen == nullptr) {
        out.clear();
        return;
    }
    readableText(lines, chosen->contentType, chosen->transferEncoding, chosen->begin, chosen->end, !choice.plain, out);
    keepFirstLines(out, headCount);
}

}  // namespace mime
