#include "mail/mail_entry.h"

#include <algorithm>

#include "base/ascii.h"

namespace mail {

bool MailboxId::sameAs(const MailboxId& other) const {
    return port == other.port && user == other.user && index == other.index && base::equalsNoCase(server, other.server);
}

bool MailEntry::matches(const MailEntry& other) const {
    return from == other.from && subject == other.subject && firstLines == other.firstLines && size == other.size;
}

int mailboxIndexOf(const MailEntry& entry) {
    return entry.mailbox == nullptr ? -1 : entry.mailbox->index;
}

MailEntryList entriesOfMailbox(const MailEntryList& all, int index) {
    MailEntryList found;
    for (const MailEntry& entry : all) {
        if (mailboxIndexOf(entry) == index) {
            found.push_back(entry);
        }
    }
    return found;
}

void replaceEntriesOfMailbox(MailEntryList& all, int index, const MailEntryList& fresh) {
    MailEntryList copy = fresh;  // copied first: should it fail, the list stays as it was
    all.remove_if([index](const MailEntry& entry) { return mailboxIndexOf(entry) == index; });
    const auto after =
        std::find_if(all.begin(), all.end(), [index](const MailEntry& entry) { return mailboxIndexOf(entry) > index; });
    all.splice(after, copy);
}

std::vector<int> mailboxesWithMarks(const MailEntryList& all) {
    std::vector<int> marked;
    for (const MailEntry& entry : all) {
        const int index = mailboxIndexOf(entry);
        if (entry.deleteMark && index >= 0 && std::find(marked.begin(), marked.end(), index) == marked.end()) {
            marked.push_back(index);
        }
    }
    std::sort(marked.begin(), marked.end());
    return marked;
}

}  // namespace mail
