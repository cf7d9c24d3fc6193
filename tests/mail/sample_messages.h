#pragma once

#include <string>
#include <vector>

// The real-world shaped messages in tests/mail/messages/ (also in the Dovecot sample mailbox) and what a check
// with two first lines shows for each: sender, subject and opening text, all Shift_JIS.
namespace samples {

struct ShownMessage {
    const char* name;  // file name without ".eml"
    const char* from;
    const char* subject;
    const char* firstLines;
    bool pastFirstTop;  // its text begins beyond the usual TOP line count
};

const std::vector<ShownMessage>& shownMessages();

// The message file's bytes, read from the source tree.
std::string messageFile(const char* name);

}  // namespace samples
