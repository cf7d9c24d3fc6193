#pragma once

#include "tests/support/loopback_tcp.h"
#include "tests/support/wakeable_listener.h"

#include <map>
#include <mutex>
#include <string>
#include <thread>

// A relay between a POP3 client and a real server on 127.0.0.1, for tests against Dovecot: it passes every byte
// through, counts the client's commands by their first word, and can play a server without extensions by
// answering CAPA itself with "-ERR" (the command never reaches the server). Serves one connection at a time,
// any number in turn, on its own thread.
namespace testenv {

class Pop3Relay {
public:
    Pop3Relay(int serverPort, bool hideExtensions);
    ~Pop3Relay();

    Pop3Relay(const Pop3Relay&) = delete;
    Pop3Relay& operator=(const Pop3Relay&) = delete;

    int port() const;
    // How many commands with this first word (e.g. "TOP") clients have sent so far; a check that has ended has
    // had all its commands counted.
    int count(const std::string& word);
    void resetCounts();

private:
    void serve();
    void relay(loopback::Handle client);
    void takeClientBytes(const char* data, int size, loopback::Handle client, loopback::Handle server);

    const int serverPort;
    const bool hideExtensions;
    WakeableListener sockets;
    std::string pending;  // client bytes not yet split into lines (relay thread only)

    std::mutex mutex;
    std::map<std::string, int> counts;
    std::thread thread;
};

}  // namespace testenv
