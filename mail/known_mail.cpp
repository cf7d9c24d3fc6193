#include "mail/known_mail.h"

namespace mail {

void KnownMail::useMailbox(const std::string& key) {
    if (key == mailbox) {
        return;
    }
    mailbox = key;
    seen = false;
    byId.clear();
    contents.clear();
}

const MailEntry* KnownMail::find(const std::string& uniqueId) const {
    auto found = byId.find(uniqueId);
    return found == byId.end() ? nullptr : &found->second;
}

void KnownMail::markNew(MailEntryList& fresh) const {
    for (MailEntry& entry : fresh) {
        if (!seen) {
            entry.isNew = true;
        } else if (!entry.uniqueId.empty()) {
            entry.isNew = byId.count(entry.uniqueId) == 0;
        } else {
            entry.isNew = contents.count(contentKey(entry)) == 0;
        }
    }
}

void KnownMail::remember(const MailEntryList& list) {
    // The old memory goes first, so that two copies of a long list are never held at once. (Should this run out
    // of memory half way, what it kept is still true of those messages.)
    byId.clear();
    contents.clear();
    byId.reserve(list.size());
    for (const MailEntry& entry : list) {
        if (!entry.uniqueId.empty()) {
            byId.emplace(entry.uniqueId, entry);
        } else {
            contents.insert(contentKey(entry));
        }
    }
    seen = true;
}

std::string KnownMail::contentKey(const MailEntry& entry) {
    std::string key;
    key.reserve(entry.from.size() + entry.subject.size() + entry.firstLines.size() + 16);
    key += entry.from;
    key += '\0';
    key += entry.subject;
    key += '\0';
    key += entry.firstLines;
    key += '\0';
    key += std::to_string(entry.size);
    return key;
}

}  // namespace mail
