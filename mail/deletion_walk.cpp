#include "mail/deletion_walk.h"

namespace mail {

bool deleteMarkedMessages(const MailEntryList& previous, MailEntryList& fresh, const DeleteMessage& deleteMessage) {
    if (previous.empty() || previous.size() > fresh.size()) {
        return true;
    }
    auto old = previous.begin();
    auto current = fresh.begin();
    for (int k = 1; old != previous.end() && current != fresh.end(); ++k) {
        if (old->deleteMark && current->matches(*old)) {
            if (!deleteMessage(k)) {
                return false;  // the message stays on the server, so its entry stays too
            }
            current = fresh.erase(current);
            ++old;
        } else {
            ++old;
            ++current;
        }
    }
    return true;
}

}  // namespace mail
