#pragma once

#include <string>

#include "mail/mail_entry.h"

namespace mail {

// Builds one message's summary from the lines of its TOP reply (each without its line end), fed one at a
// time up to the closing ".".
//
// Header lines: "From: " and "Subject: " (exact, case-sensitive, with the blank) give the sender and the
// subject, unfolded over the continuation lines that follow them (lines beginning with a blank or a tab)
// and then decoded; a later field replaces an earlier one. A "Content-Type: " line is stripped of that
// name before the other tests; when it names a multipart type, the next two empty lines do not start the
// body, so a preamble, boundary line and the first part's own header are read as header lines too.
// Other header lines, folded or not, are ignored.
//
// Body: empty lines never count; the first `headCount` other lines are kept, each followed by one blank,
// and the whole text is decoded when the entry is taken. A line that begins with a dot has its first dot
// removed (the server's byte-stuffing), so the line "..x" of the reply is the message's line ".x".
class TopReplyReader {
public:
    explicit TopReplyReader(int headCount);

    // Takes the next line; false once the line "." has ended the reply (later lines are ignored).
    bool feed(const std::string& line);
    bool complete() const {
        return ended;
    }

    // The summary read so far, with size 0 and no delete mark.
    MailEntry entry() const;

private:
    enum class Field { None, From, Subject };

    void takeHeaderLine(const std::string& line);
    void finishField();

    bool ended = false;
    bool inBody = false;
    int blankSkips = 0;  // empty lines still to pass over without starting the body
    int linesLeft;       // body lines still wanted

    Field field = Field::None;  // the From or Subject field whose continuation lines may follow
    std::string fieldValue;     // its raw value so far
    std::string from;
    std::string subject;
    std::string firstLines;  // raw, each line followed by a blank
};

}  // namespace mail
