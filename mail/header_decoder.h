#pragma once

#include <string>

namespace mail {

// Turns one piece of mail text (a From or Subject value, or the first body lines) into Shift_JIS for
// display. Every MIME encoded word (=?charset?B?...?= or =?charset?Q?...?=) is decoded, blanks and line
// ends between two adjacent words are dropped, and the text around the words is kept; raw ISO-2022-JP
// text and the bytes of the words are converted from JIS to Shift_JIS. Bytes of other charsets pass
// through as they are. Text with "=?" but no "?=" after it is returned unchanged.
std::string decodeHeaderText(std::string text);

}  // namespace mail
