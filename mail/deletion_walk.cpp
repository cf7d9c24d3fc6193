#include "mail/deletion_walk.h"

namespace mail {

void deleteMarkedMessages(const MailEntryList& previous, MailEntryList& fresh, const DeleteMessage& deleteMessage) {
    if (previous.empty() || previous.size() > fresh.size()) {
        return;
    }
    auto old = previous.begin();
    auto current = fresh.begin();
    for (int k = 1; old != previous.end() && current != fresh.end(); ++k) {
        if (old->deleteMark && current->matches(*old)) {
            current = fresh.erase(current);
            if (!deleteMessage(k)) {
                return;
            }
            ++old;
        } else {
            ++old;
            ++current;
        }
    }
}

}  // namespace mail
