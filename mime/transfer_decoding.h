#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mime {

// The bytes a stretch of body lines (lines[begin, end), without their line ends) stands for under its
// Content-Transfer-Encoding: Base64 and quoted-printable decoded, anything else kept; lines are joined with
// "\n". A run cut off by the end of the lines yields what arrived of it. They replace what `out` held.
void decodeTransfer(std::string_view encoding,
                    const std::vector<std::string>& lines,
                    std::size_t begin,
                    std::size_t end,
                    std::string& out);

}  // namespace mime
