#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace mail {

// The mailbox a check read: the server (host names compare in any case), the port and the user, and which of the
// owner's mailboxes it is. Marks set in a list are only ever carried out on the mailbox that list came from.
struct MailboxId {
    std::string server;
    int port = 0;
    std::string user;
    int index = 0;     // the owner's number for the mailbox: two of the same server and user are still two
    std::string name;  // what the user calls it (Shift_JIS)

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

// The owner's list of several mailboxes holds each one's entries together, in the order of the mailboxes.

// The number of the mailbox an entry came from; -1 for an entry no check made.
int mailboxIndexOf(const MailEntry& entry);
// The entries of one mailbox, in their order, with their marks: what its next check works with.
MailEntryList entriesOfMailbox(const MailEntryList& all, int index);
// Replaces the entries of one mailbox with a check's new list, in its place among the others.
void replaceEntriesOfMailbox(MailEntryList& all, int index, const MailEntryList& fresh);
// The mailboxes that have a marked entry, in ascending order.
std::vector<int> mailboxesWithMarks(const MailEntryList& all);

}  // namespace mail
