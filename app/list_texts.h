#pragma once

#include <cstdint>
#include <string>

#include "mail/mail_entry.h"

// The texts and the order of the mail list window's rows, kept apart from the window so that they can be
// checked on any platform.
namespace app {

// The list view's columns, in the order they are shown.
enum ListColumn : int {
    kColumnSubject = 0,
    kColumnFrom = 1,
    kColumnSize = 2,
    kColumnFirstLines = 3,
};

// The size column's text: "不明" for 0 (no size known), the octets below 1024, else kilo-, mega- or
// gigaoctets with one decimal, right-aligned in the width the C formatting functions give.
std::string sizeText(std::uint32_t size);

// What one cell of an entry's row shows, before it is cut to the cell: the entry's text for the column (the
// size as sizeText), empty for an unknown column.
std::string cellText(const mail::MailEntry& entry, int column);

// The order of two entries by one column, before the sort direction is applied: -1, 0 or 1. Texts compare
// byte for byte (unsigned, shorter first on a common prefix), sizes as unsigned numbers; an unknown column
// gives 0.
int compareEntries(const mail::MailEntry& a, const mail::MailEntry& b, int column);

}  // namespace app
