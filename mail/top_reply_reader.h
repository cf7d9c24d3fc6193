#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "mail/mail_entry.h"

namespace mail {

// The body lines added to a second TOP for a multipart or enclosing mail whose text had not begun within the usual
// count.
constexpr long long kMorePreviewLines = 500;
// The most bytes of one header field's raw value that are kept, far more than the list can show: the lines of a
// longer value are still read, but the rest of it is dropped.
constexpr std::size_t kMaxHeaderValueBytes = 4096;

// Builds one message's summary from the lines of its TOP reply (each without its line end), fed one at a
// time up to the closing ".".
//
// Header lines, up to the first empty line: "From: " and "Subject: " (exact, case-sensitive, with the blank)
// give the sender and the subject, unfolded over the continuation lines that follow them (lines beginning
// with a blank or a tab) and decoded when the entry is taken, raw 8-bit bytes in the charset the message declares
// for its text when the guess would misread them; a later field replaces an earlier one. A "Content-Type: " line is
// stripped of that name before those tests. Content-Type and Content-Transfer-Encoding (any letter case) are
// kept, unfolded, for the body. Other header lines are ignored. Of each field at most kMaxHeaderValueBytes are
// kept; a longer From or Subject is decoded from its start, cut where no character or encoded word is parted.
//
// Body: the lines after the header are kept, as many as any TOP of the check asks for and a few more (a server
// that sends more than it was asked for costs no memory); when the entry is taken, the first readable text part
// gives the first `headCount` non-empty lines of decoded text, each followed by one blank (see body_preview.h). A
// line that begins with a dot has its first dot removed (the server's byte-stuffing), so the line "..x" of
// the reply is the message's line ".x".
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

    // True when the message is multipart or encloses a message, nothing readable has arrived, and the reply holds
    // as many body lines as were asked for (so that more of the message may follow on the server).
    bool wantsMoreLines(long long linesAsked) const;

private:
    enum class Field { None, From, Subject, ContentType, TransferEncoding };

    void takeHeaderLine(const std::string& line);
    void keepOfField(std::string_view text);
    // The raw value to decode or use: all of it, or the part kept of a value that was cut.
    std::string_view valueKept() const;
    void finishField();

    bool ended = false;
    bool inBody = false;
    int headCount;
    std::size_t maxBodyLines;

    Field field = Field::None;  // the field whose continuation lines may follow
    std::string fieldValue;     // its raw value so far, at most kMaxHeaderValueBytes
    bool fieldCut = false;      // more of it came than was kept
    std::string from;           // raw, decoded when the entry is taken (the charset the body declares may count)
    std::string subject;        // likewise
    std::string contentType;
    std::string transferEncoding;
    std::vector<std::string> bodyLines;
};

}  // namespace mail
