#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "mail/mail_entry.h"

namespace mail {

// What the last successful check of one mailbox saw, kept by the check itself from one run to the next (so a
// list emptied in the meantime does not matter). With unique ids, a message already seen keeps its summary
// and needs no TOP; every entry is marked new when the previous check did not see it.
class KnownMail {
public:
    // Names the mailbox (and the reading settings) of the coming check; another one forgets what was seen.
    void useMailbox(const std::string& key);
    // The summary the last check built for this id, or nullptr.
    const MailEntry* find(const std::string& uniqueId) const;
    // Sets isNew on each entry: by id when it has one, otherwise by equal texts and size. Before any check
    // of this mailbox everything is new.
    void markNew(MailEntryList& fresh) const;
    // The list that a check ended with becomes what was seen.
    void remember(const MailEntryList& list);

private:
    static std::string contentKey(const MailEntry& entry);

    std::string mailbox;
    bool seen = false;
    std::unordered_map<std::string, MailEntry> byId;
    std::unordered_set<std::string> contents;
};

}  // namespace mail
