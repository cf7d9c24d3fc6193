#pragma once

#include "net/line_socket.h"

#include <optional>
#include <string>

// The POP3 command layer over the line socket: the greeting, one command and its single reply line at
// a time, the USER/PASS and APOP logins, and STAT.
namespace net {

// False when the value holds a CR, LF or zero byte: sent as part of a command it would end the line early
// and could smuggle in commands of its own (a DELE, say).
bool isSafeCommandValue(const std::string& value);

struct StatResult {
    int count;
    int size;
};

class Pop3Session : public LineSocket {
public:
    explicit Pop3Session(int family);
    Pop3Session(int family, SocketIo& io);
    ~Pop3Session() override;

    // Connects to the server (the socket must already be created) and reads the greeting. The result
    // is a view of the greeting, whatever it says, or nullptr when the connection failed.
    const char* open(const char* server, int port);
    // Sends one command line and reads the reply line: a view of it, or "-" when either step failed.
    const char* command(const char* text);

    // True when the reply to "USER name" / "PASS password" does not begin with '-'; false unsent for a
    // value that isSafeCommandValue refuses. The reply buffer is wiped after PASS (and after APOP).
    bool sendUser(const std::string& user);
    bool sendPass(const std::string& pass);
    // The message count and total size from STAT, or nothing when the reply lacks them.
    std::optional<StatResult> stat();
    // APOP login over the timestamp of the greeting; call it right after open. 0 logged in, 8 the
    // greeting has no <timestamp> of RFC 1939's shape (visible ASCII with an '@'), 9 refused or failed (or
    // the user name is unsafe to send), 10 out of memory.
    int apop(const std::string& user, const std::string& pass);

private:
    bool sendFormatted(const char* keyword, const std::string& value);

    // The last line from the server: the greeting, then the latest reply.
    char reply[1024] = {};
};

}  // namespace net
