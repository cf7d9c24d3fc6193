#include "mail/top_reply_reader.h"

#include <algorithm>
#include <cstring>

#include "base/ascii.h"
#include "mime/body_preview.h"
#include "mime/header_decoder.h"
#include "mime/mime_fields.h"

namespace mail {

namespace {

// Removes `prefix` from the start of `text` when it is there.
bool consumePrefix(std::string_view& text, std::string_view prefix) {
    if (text.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

bool isContinuation(const std::string& line) {
    return !line.empty() && (line[0] == ' ' || line[0] == '\t');
}

bool holdsEightBitBytes(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

namespace {

// Body lines kept beyond the most that a TOP of the check asks for (headCount + 7, then kMorePreviewLines more).
constexpr std::size_t kSpareBodyLines = 16;

}  // namespace

TopReplyReader::TopReplyReader(int headCount)
    : headCount(headCount),
      maxBodyLines(static_cast<std::size_t>(headCount > 0 ? headCount : 0) +
                   static_cast<std::size_t>(kMorePreviewLines) + kSpareBodyLines) {
}

bool TopReplyReader::feed(const std::string& received) {
    if (ended) {
        return false;
    }
    if (received == ".") {
        if (field != Field::None) {
            finishField();
        }
        ended = true;
        return false;
    }
    // The server doubles a leading dot so that no line of the message can end the reply early.
    const std::string line = !received.empty() && received[0] == '.' ? received.substr(1) : received;
    if (inBody) {
        if (bodyLines.size() < maxBodyLines) {
            bodyLines.push_back(line);
        }
        return true;
    }
    if (field != Field::None) {
        if (isContinuation(line)) {
            keepOfField(line);  // unfolding drops only the line break
            return true;
        }
        finishField();
    }
    if (line.empty()) {
        // The header ends at its first empty line, whatever type the message is.
        inBody = true;
        return true;
    }
    takeHeaderLine(line);
    return true;
}

void TopReplyReader::takeHeaderLine(const std::string& line) {
    // The From and Subject tests see the line without a leading "Content-Type: ".
    std::string_view rest = line;
    const bool contentTypeLine = base::startsWithNoCase(line, "Content-Type:");
    consumePrefix(rest, "Content-Type: ");
    if (consumePrefix(rest, "From: ")) {
        field = Field::From;
    } else if (consumePrefix(rest, "Subject: ")) {
        field = Field::Subject;
    } else if (contentTypeLine) {
        field = Field::ContentType;
        rest = std::string_view(line).substr(std::strlen("Content-Type:"));
    } else if (base::startsWithNoCase(line, "Content-Transfer-Encoding:")) {
        field = Field::TransferEncoding;
        rest = std::string_view(line).substr(std::strlen("Content-Transfer-Encoding:"));
    } else {
        return;
    }
    fieldValue.clear();
    fieldCut = false;
    keepOfField(rest);
}

void TopReplyReader::keepOfField(std::string_view text) {
    const std::size_t room = kMaxHeaderValueBytes - fieldValue.size();
    if (text.size() > room) {
        text = text.substr(0, room);
        fieldCut = true;
    }
    fieldValue.append(text.data(), text.size());
}

std::string_view TopReplyReader::valueKept() const {
    const std::string_view value = fieldValue;
    return fieldCut ? value.substr(0, mime::keptLengthOfCutValue(value)) : value;
}

void TopReplyReader::finishField() {
    switch (field) {
        case Field::From:
            from = valueKept();
            break;
        case Field::Subject:
            subject = valueKept();
            break;
        case Field::ContentType:
            contentType = valueKept();
            break;
        case Field::TransferEncoding:
            transferEncoding = valueKept();
            break;
        case Field::None:
            break;
    }
    field = Field::None;
    fieldValue.clear();
    fieldCut = false;
}

MailEntry TopReplyReader::entry() const {
    std::string_view fromValue = from;
    std::string_view subjectValue = subject;
    std::string_view type = contentType;
    std::string_view encoding = transferEncoding;
    // A field still open (the reply ended right after it) counts as it stands.
    if (field == Field::From) {
        fromValue = valueKept();
    } else if (field == Field::Subject) {
        subjectValue = valueKept();
    } else if (field == Field::ContentType) {
        type = valueKept();
    } else if (field == Field::TransferEncoding) {
        encoding = valueKept();
    }
    // Raw 8-bit header bytes may be in the charset the message declares for its text.
    const text::Charset declared = holdsEightBitBytes(fromValue) || holdsEightBitBytes(subjectValue)
                                       ? mime::declaredCharset(type, bodyLines)
                                       : text::Charset::Unknown;
    MailEntry entry;
    mime::decodeHeaderText(fromValue, entry.from, declared);
    mime::decodeHeaderText(subjectValue, entry.subject, declared);
    mime::previewBody(type, encoding, bodyLines, headCount, entry.firstLines);
    entry.size = 0;
    entry.deleteMark = false;
    return entry;
}

bool TopReplyReader::wantsMoreLines(long long linesAsked) const {
    if ((!mime::isMultipart(contentType) && !mime::enclosesMessage(contentType)) ||
        static_cast<long long>(bodyLines.size()) < linesAsked) {
        return false;
    }
    std::string preview;
    mime::previewBody(contentType, transferEncoding, bodyLines, headCount, preview);
    return preview.empty();
}

}  // namespace mail
