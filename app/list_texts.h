#pragma once

#include <cstdint>
#include <string>

#include "mail/mail_entry.h"

// The texts and the order of the mail list window's rows, kept apart from the window so that they can be
// checked on any platform.
namespace app {

// The list view's columns: the four of a single mailbox in the order they are shown, and the mailbox's name,
// which with several mailboxes is shown first.
enum ListColumn : int {
    kColumnSubject = 0,
    kColumnFrom = 1,
    kColumnSize = 2,
    kColumnFirstLines = 3,
    kColumnAccount = 4,
};

// The account column's header.
inline constexpr char kAccountHeader[] = "アカウント";

// How many columns the list shows, and which one is at a place from the left.
int shownColumnCount(bool accountColumn);
ListColumn columnAt(int place, bool accountColumn);

// The title of the details dialog: "メール", and with several mailboxes "メール（<name>）".
std::string detailsTitle(const mail::MailEntry& entry, bool accountColumn);

// The size column's text: "不明" for 0 (no size known), the octets below 1024, else kilo-, mega- or
// gigaoctets with one decimal, right-aligned in the width the C formatting functions give.
std::string sizeText(std::uint32_t size);

// What one cell of an entry's row shows, before it is cut to the cell: the entry's text for the column (the
// size as sizeText, the account as the mailbox's name), empty for an unknown column.
std::string cellText(const mail::MailEntry& entry, int column);

// The order of two entries by one column, before the sort direction is applied: -1, 0 or 1. Texts compare
// byte for byte (unsigned, shorter first on a common prefix), the account by the mailbox's name, sizes as
// unsigned numbers; an unknown column gives 0.
int compareEntries(const mail::MailEntry& a, const mail::MailEntry& b, int column);

}  // namespace app
