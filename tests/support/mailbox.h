#pragma once

#include <string>
#include <vector>

// Direct access to the Dovecot test mailbox's maildir, to set up and inspect what the server holds.
// Dovecot picks up messages dropped into new/ at the next login, in file name order, and removes
// a message's file when a session that deleted it ends with QUIT.
namespace testenv {

struct Pop3Peer;

class Mailbox {
public:
    explicit Mailbox(const Pop3Peer& peer);

    // Removes every message and stores the given raw messages (CRLF text), in this order.
    void reset(const std::vector<std::string>& messages);
    // Adds one message after those already there.
    void append(const std::string& message);
    // The raw texts of the messages now in the maildir, in server order.
    std::vector<std::string> messages() const;

    // The sample messages that the harness generated, in file name order: name -> text.
    std::vector<std::pair<std::string, std::string>> samples() const;
    std::string sample(const std::string& name) const;

private:
    std::string maildir;
    std::string samplesDir;
    unsigned long nextStamp = 1500000000;
};

}  // namespace testenv
