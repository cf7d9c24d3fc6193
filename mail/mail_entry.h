#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>

namespace mail {

// The mailbox a check read: the server (host names compare in any case), the port and the user. Marks set in a
// list are only ever carried out on the mailbox that list came from.
struct MailboxId {
    std::string server;
    int port = 0;
    std::string user;

    bool sameAs(const MailboxId& other) const;
};

// The summary of one message waiting on the server. Texts are Shift_JIS bytes after header decoding.
struct MailEntry {
    std::string from;
    std::string subject;
    std::string firstLines;
    std::int32_t size = 0;    // octets as LIST gave them; 0 when LIST gave none
    bool deleteMark = false;  // the user asked to delete this message on the server
    std::string uniqueId;     // the server's UIDL id of the message; empty when the server offers none
    bool isNew = false;       // not seen by the previous check: the list shows it in bold
    // The mailbox the check that listed this entry read; none for an entry no check made, which is never deleted.
    std::shared_ptr<const MailboxId> mailbox;

    // The same message as far as a check can tell: equal texts (byte for byte) and equal size.
    // The delete mark, the id, the new flag and the mailbox take no part.
    bool matches(const MailEntry& other) const;
};

// In the server's message order: the k-th entry is message number k of the check that built it.
using MailEntryList = std::list<MailEntry>;

}  // namespace mail
