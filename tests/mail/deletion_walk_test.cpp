#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "mail/deletion_walk.h"

namespace {

using mail::MailEntry;
using mail::MailEntryList;

// A message named by one letter; a '*' after the letter marks it for deletion. The size is fixed per
// letter unless given, so "A" and "A" match.
MailEntry message(const std::string& name, std::int32_t size = 0) {
    MailEntry entry;
    entry.subject = name.substr(0, 1);
    entry.from = "sender of " + entry.subject;
    entry.firstLines = "text of " + entry.subject;
    entry.size = size != 0 ? size : 100 + name[0];
    entry.deleteMark = name.size() > 1 && name[1] == '*';
    return entry;
}

MailEntryList list(const std::vector<std::string>& names) {
    MailEntryList result;
    for (const auto& name : names) {
        result.push_back(message(name));
    }
    return result;
}

std::string subjects(const MailEntryList& entries) {
    std::string result;
    for (const auto& entry : entries) {
        result += entry.subject;
    }
    return result;
}

struct WalkCase {
    const char* name;
    std::vector<std::string> previous;
    std::vector<std::string> fresh;
    std::set<int> refused;          // message numbers whose DELE the server refuses
    std::vector<int> deleCommands;  // the DELE commands sent, in order
    std::string freshAfter;         // subjects of the entries left in the fresh list
};

const WalkCase kCases[] = {
    {"no previous list", {}, {"A", "B"}, {}, {}, "AB"},
    {"nothing marked", {"A", "B"}, {"A", "B"}, {}, {}, "AB"},
    {"marked and the same: deleted, numbered by server position",
     {"A*", "B", "C*"},
     {"A", "B", "C", "D"},
     {},
     {1, 3},
     "BD"},
    {"previous list longer than the fresh one: nothing deleted", {"A*", "B*", "C*"}, {"A", "B"}, {}, {}, "AB"},
    {"a marked message that moved is compared with the one now at its place",
     {"A*", "B", "C*"},
     {"B", "C", "D"},
     {},
     {},
     "BCD"},
    {"every message deleted", {"A*", "B*"}, {"A", "B"}, {}, {1, 2}, ""},
    {"a refused DELE ends the walk; its message and those after it stay listed",
     {"A*", "B*", "C*"},
     {"A", "B", "C", "D"},
     {2},
     {1, 2},
     "BCD"},
    {"the first DELE refused", {"A*", "B*"}, {"A", "B"}, {1}, {1}, "AB"},
};

TEST(DeletionWalkTest, DeletesMarkedMessagesThatAreStillTheSame) {
    for (const WalkCase& c : kCases) {
        SCOPED_TRACE(c.name);
        MailEntryList previous = list(c.previous);
        MailEntryList fresh = list(c.fresh);
        std::vector<int> sent;
        bool allDeleted = mail::deleteMarkedMessages(previous, fresh, [&](int k) {
            sent.push_back(k);
            return c.refused.count(k) == 0;
        });
        EXPECT_EQ(sent, c.deleCommands);
        EXPECT_EQ(allDeleted, c.refused.empty()) << "the result tells whether a deletion was refused";
        EXPECT_EQ(subjects(fresh), c.freshAfter);
    }
}

TEST(DeletionWalkTest, AChangedSizeMeansADifferentMessage) {
    MailEntryList previous{message("A*", 500)};
    MailEntryList fresh{message("A", 501)};
    int deletes = 0;
    mail::deleteMarkedMessages(previous, fresh, [&](int) { return ++deletes, true; });
    EXPECT_EQ(deletes, 0);
    EXPECT_EQ(fresh.size(), 1u);
}

}  // namespace
