#pragma once

#include <optional>

#include "base/lock.h"
#include "mail/mail_entry.h"

namespace mail {

// Carries a check's new mail list from the worker thread to the user-interface thread. The worker puts the
// list right before it posts its result command; the owner applies it to its mail list when it handles
// that command, on its own thread, so nothing else ever touches the live list.
class ListHandOver {
public:
    // Worker: the list that the owner's list is to become. Replaces one that was never applied.
    void put(const MailEntryList& list);
    // User-interface thread: copy-assigns a waiting list into `mailList`; false (and `mailList` untouched)
    // when none is waiting.
    bool applyTo(MailEntryList& mailList);

private:
    base::Lock mutex;
    std::optional<MailEntryList> waiting;
};

}  // namespace mail
