#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "mail/mail_entry.h"

namespace mail {

// Reads one line of a multi-line reply into `line`; false when no line can be read.
using LineSource = std::function<bool(std::string& line)>;

// The size in one LIST line ("<number> <size>"): the leading integer after the first blank (white space
// skipped, an optional sign, the digits up to the first other character; no digits give 0). Sizes up to
// 4 GiB keep their value when read back as unsigned 32 bits; larger ones stop at 0xFFFFFFFF. Nothing when
// the line holds no blank.
std::optional<std::int32_t> listLineSize(const std::string& line);

// Reads the lines of a LIST reply whose first line was positive: the n-th line gives the size of the n-th
// entry, whatever message number it names. Stops at ".", at a line without a blank, or when a read fails;
// then reads and drops the rest of the reply up to "." so that the next reply is read in step. False when the
// reply holds more lines than there are entries: reading stops at the first line too many.
bool readListSizes(MailEntryList& entries, const LineSource& readLine);
// The same for a reply read before its entries exist: `setSize` gets the size of each line that gives one with the
// line's index (0, 1, ... in turn), for at most `entries` lines.
bool readListSizes(std::size_t entries,
                   const std::function<void(std::size_t index, std::int32_t size)>& setSize,
                   const LineSource& readLine);

}  // namespace mail
