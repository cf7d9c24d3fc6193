#pragma once

#include <functional>

#include "mail/mail_entry.h"

namespace mail {

// Sends DELE for message number k; false when the server refused it or did not answer.
using DeleteMessage = std::function<bool(int messageNumber)>;

// Deletes on the server the messages that the user marked in the previous list and that are still the
// same messages. Entries are paired by position: the k-th previous entry is compared only with the k-th
// message of this check (k is that message's server number), and a marked one that `matches` is erased
// from `fresh` once the server accepted its deletion. A refused deletion ends the walk and keeps that entry
// and the ones after it; the result is then false. Nothing is deleted when `previous` is empty or longer
// than `fresh`.
bool deleteMarkedMessages(const MailEntryList& previous, MailEntryList& fresh, const DeleteMessage& deleteMessage);

}  // namespace mail
