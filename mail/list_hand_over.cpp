#include "mail/list_hand_over.h"

namespace mail {

void ListHandOver::put(const MailEntryList& list) {
    MailEntryList copy = list;  // copied outside the lock
    base::Locked lock(mutex);
    waiting = std::move(copy);
}

bool ListHandOver::applyTo(MailEntryList& mailList) {
    std::optional<MailEntryList> taken;
    {
        base::Locked lock(mutex);
        taken.swap(waiting);
    }
    if (!taken) {
        return false;
    }
    mailList = *taken;
    return true;
}

}  // namespace mail
