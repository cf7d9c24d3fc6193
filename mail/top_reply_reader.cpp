#include "mail/top_reply_reader.h"

#include <algorithm>
#include <cstring>

#include "mime/body_preview.h"
#include "mime/header_decoder.h"
#include "mime/mime_fields.h"

namespace mail {

namespace {

// Removes `prefix` from the start of `text` when it is there.
bool consumePrefix(std::string& text, const char* prefix) {
    std::size_t length = std::strlen(prefix);
    if (text.compare(0, length, prefix) != 0) {
        return false;
    }
    text.erase(0, length);
    return true;
}

bool isContinuation(const std::string& line) {
    return !line.empty() && (line[0] == ' ' || line[0] == '\t');
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
            // Unfolding drops only the line break.
            fieldValue.append(line, 0, kMaxFieldChars - std::min(fieldValue.size(), kMaxFieldChars));
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
    std::string rest = line;
    const bool contentTypeLine = startsWithNoCase(line, "Content-Type:");
    consumePrefix(rest, "Content-Type: ");
    if (consumePrefix(rest, "From: ")) {
        field = Field::From;
        fieldValue = rest;
    } else if (consumePrefix(rest, "Subject: ")) {
        field = Field::Subject;
        fieldValue = rest;
    } else if (contentTypeLine) {
        field = Field::ContentType;
        fieldValue = line.substr(std::strlen("Content-Type:"));
    } else if (startsWithNoCase(line, "Content-Transfer-Encoding:")) {
        field = Field::TransferEncoding;
        fieldValue = line.substr(std::strlen("Content-Transfer-Encoding:"));
    }
}

void TopReplyReader::finishField() {
    switch (field) {
        case Field::From:
            decodeHeaderText(fieldValue, from);
            break;
        case Field::Subject:
            decodeHeaderText(fieldValue, subject);
            break;
        case Field::ContentType:
            contentType = fieldValue;
            break;
        case Field::TransferEncoding:
            transferEncoding = fieldValue;
            break;
        case Field::None:
            break;
    }
    field = Field::None;
    fieldValue.clear();
}

MailEntry TopReplyReader::entry() const {
    MailEntry entry;
    entry.from = from;
    entry.subject = subject;
    std::string type = contentType;
    std::string encoding = transferEncoding;
    // A field still open (the reply ended right after it) counts as it stands.
    if (field == Field::From) {
        decodeHeaderText(fieldValue, entry.from);
    } else if (field == Field::Subject) {
        decodeHeaderText(fieldValue, entry.subject);
    } else if (field == Field::ContentType) {
        type = fieldValue;
    } else if (field == Field::TransferEncoding) {
        encoding = fieldValue;
    }
    previewBody(type, encoding, bodyLines, headCount, entry.firstLines);
    entry.size = 0;
    entry.deleteMark = false;
    return entry;
}

bool TopReplyReader::wantsMoreLines(long long linesAsked) const {
    return isMultipart(contentType) && static_cast<long long>(bodyLines.size()) >= linesAsked &&
           entry().firstLines.empty();
}

}  // namespace mail
