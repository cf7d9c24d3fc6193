#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "mail/mail_entry.h"

// The notice that tells of new mail, kept apart from the balloons that show it so that it can be checked on any
// platform. Texts are Shift_JIS, as the list's.
namespace app {

// What a balloon shows: a title and lines of text. Both fit the tray's balloon (63 and 255 bytes) and hold only
// whole characters, with no zero bytes or control characters other than the line breaks.
struct NewMailNotice {
    std::string title;
    std::string text;

    bool empty() const {
        return text.empty();
    }
};

// The notice for the mails of `list` that the check before had not seen (isNew): one line with the sender's
// name and the subject for each of the three newest (the last in server order first), then "ほか N 通" for the rest.
// Empty when there is no new mail.
NewMailNotice newMailNotice(const mail::MailEntryList& list);

// The name a sender goes by in a From field: the display name before "<address>" without its quotes, else the
// address inside the brackets, else the field as it is. '<', '>' and '"' never stand for a Shift_JIS second byte.
std::string_view senderName(std::string_view from);

// A header text made fit for one line of a balloon: control characters and zero bytes become blanks (runs of
// blanks one blank, none at the ends), a lead byte without its second byte and the bytes code page 932 leaves
// unassigned go, and a text longer than `limit` bytes is cut at a character and ends in "…" within the limit.
std::string noticeField(std::string_view text, std::size_t limit);

}  // namespace app
