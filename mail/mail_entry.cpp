#include "mail/mail_entry.h"

namespace mail {

bool MailEntry::matches(const MailEntry& other) const {
    return from == other.from && subject == other.subject && firstLines == other.firstLines && size == other.size;
}

}  // namespace mail
