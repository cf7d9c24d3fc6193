#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/charset_names.h"

namespace mime {

// The opening text of a message for the list: its first readable text part, decoded to Shift_JIS.
//
// `contentType` and `transferEncoding` are the message's own header values (unfolded, empty when missing),
// `lines` the body lines that arrived (without line ends, the server's dot-stuffing removed). A multipart
// body is walked part by part (preamble, boundary lines and part headers skipped, nested multiparts entered,
// attachments passed over); the first text/plain part is taken, else the first text/html part, else the first other
// text/* part (shown as plain text). An enclosed message (message/rfc822: a forwarded mail, a delivery report's
// returned mail), alone or as a part, attachment or not, is read by the same rules when the enclosing message has
// no text of its own. A Content-Type that cannot be read is text/plain, its charset kept (RFC 2045): as good as
// text/plain when it names text ("text; charset=us-ascii"), else as other text. The part's Base64 or
// quoted-printable is decoded, its charset converted (guessed when it declares none) and HTML reduced to its text. The
// result holds the first `headCount` non-empty lines, each followed by one blank; it replaces what `out` held, whose
// room is reused.
void previewBody(std::string_view contentType,
                 std::string_view transferEncoding,
                 const std::vector<std::string>& lines,
                 int headCount,
                 std::string& out);

// The charset a message declares for its text: its Content-Type's charset parameter, else that of the part that
// previewBody reads. Unknown when neither names one.
text::Charset declaredCharset(std::string_view contentType, const std::vector<std::string>& lines);

inline std::string previewBody(std::string_view contentType,
                               std::string_view transferEncoding,
                               const std::vector<std::string>& lines,
                               int headCount) {
    std::string out;
    previewBody(contentType, transferEncoding, lines, headCount, out);
    return out;
}

}  // namespace mime
