#include "mail/mail_entry.h"

namespace mail {

namespace {

bool sameHostName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool MailboxId::sameAs(const MailboxId& other) const {
    return port == other.port && user == other.user && sameHostName(server, other.server);
}

bool MailEntry::matches(const MailEntry& other) const {
    return from == other.from && subject == other.subject && firstLines == other.firstLines && size == other.size;
}

}  // namespace mail
