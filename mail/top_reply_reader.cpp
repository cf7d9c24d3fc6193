#include "mail/top_reply_reader.h"

#include <cstring>

#include "mail/header_decoder.h"

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

TopReplyReader::TopReplyReader(int headCount) : linesLeft(headCount) {
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
    if (field != Field::None) {
        if (isContinuation(line)) {
            fieldValue += line;  // unfolding drops only the line break
            return true;
        }
        finishField();
    }
    if (line.empty()) {
        if (blankSkips == 0) {
            inBody = true;
            return true;
        }
        // A skipped empty line is an (ignored) header line.
        --blankSkips;
        return true;
    }
    if (inBody) {
        if (linesLeft > 0) {
            firstLines += line;
            firstLines += ' ';
            --linesLeft;
        }
        return true;
    }
    takeHeaderLine(line);
    return true;
}

void TopReplyReader::takeHeaderLine(const std::string& line) {
    // Each test sees the line as the tests before it left it.
    std::string rest = line;
    if (consumePrefix(rest, "Content-Type: ") && rest.find("multipart/") != std::string::npos) {
        blankSkips = 2;
    }
    if (consumePrefix(rest, "From: ")) {
        field = Field::From;
        fieldValue = rest;
    } else if (consumePrefix(rest, "Subject: ")) {
        field = Field::Subject;
        fieldValue = rest;
    }
}

void TopReplyReader::finishField() {
    std::string decoded = decodeHeaderText(fieldValue);
    (field == Field::From ? from : subject) = std::move(decoded);
    field = Field::None;
    fieldValue.clear();
}

MailEntry TopReplyReader::entry() const {
    MailEntry entry;
    // A field still open (the reply ended right after it) counts as it stands.
    entry.from = from;
    entry.subject = subject;
    if (field == Field::From) {
        entry.from = decodeHeaderText(fieldValue);
    } else if (field == Field::Subject) {
        entry.subject = decodeHeaderText(fieldValue);
    }
    entry.firstLines = decodeHeaderText(firstLines);
    entry.size = 0;
    entry.deleteMark = false;
    return entry;
}

}  // namespace mail
