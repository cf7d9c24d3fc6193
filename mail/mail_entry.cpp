#include "mail/mail_entry.h"

#include "base/ascii.h"

namespace mail {

bool MailboxId::sameAs(const MailboxId& other) const {
    return port == other.port && user == other.user && base::equalsNoCase(server, other.server);
}

bool MailEntry::matches(const MailEntry& other) const {
    return from == other.from && subject == other.subject && firstLines == other.firstLines && size == other.size;
}

}  // namespace mail
