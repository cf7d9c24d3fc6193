#pragma once

#include "tests/support/loopback_tcp.h"
#include "tests/support/wakeable_listener.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A scripted POP3 server for what a real server does not send: it listens on 127.0.0.1 (port()),
// serves ONE connection (more with thenServe) on its own thread, sends the greeting, then answers each command line
// with the reply of the next script entry, sent verbatim. Example:
//
//   testenv::FakePop3Server server("+OK ready\r\n", {
//       {"USER neko", "+OK\r\n"},
//       {"PASS wrong", "-ERR denied\r\n", testenv::After::Close},
//   });
//   ... the client under test connects to 127.0.0.1:server.port() ...
//   EXPECT_EQ(server.commands(), (std::vector<std::string>{"USER neko", "PASS wrong"}));
//
// A command that differs from the next entry's command is recorded too and answered "-ERR unexpected\r\n"
// (the entry stays next). A command that arrives after the script is used up is recorded, and the server
// closes the connection without answering it.
namespace testenv {

// What the server does after sending a reply (or the greeting).
enum class After {
    Nothing,  // wait for the next command
    Close,    // close the connection
    Hang,     // answer nothing more (still recording commands) until the client disconnects or the server is destroyed
};

struct Exchange {
    std::string command;  // the expected command line, without its line end
    std::string reply;    // raw bytes sent as they are, e.g. "+OK\r\nline\r\n.\r\n"; "" sends nothing
    After after = After::Nothing;
};

class FakePop3Server {
public:
    // greeting: raw bytes sent on connect ("" sends none).
    FakePop3Server(std::string greeting, std::vector<Exchange> script, After afterGreeting = After::Nothing);
    ~FakePop3Server();

    FakePop3Server(const FakePop3Server&) = delete;
    FakePop3Server& operator=(const FakePop3Server&) = delete;

    int port() const;
    // Serves one more connection after the sessions already set, with the same greeting and this script. Call it
    // before the session before it ends. commands() then waits for the last session and returns all of them.
    void thenServe(std::vector<Exchange> nextScript);
    // The command lines the client sent, in order, once its session has ended (the client disconnected
    // or the server closed the connection). Fails the test if that does not happen in time.
    std::vector<std::string> commands();
    // Serves the connections still to come with small socket buffers: the server blocks in its sends as soon as the
    // client stops reading. Call it before the client connects.
    void useSmallBuffers();
    // Returns once the server has reached a Hang step (fails the test if the session ends otherwise).
    void waitUntilHanging();

private:
    void serve();
    void converse(loopback::Handle client, const std::vector<Exchange>& steps);
    bool finishStep(loopback::Handle client, After after);
    void hang(loopback::Handle client);
    bool readCommand(loopback::Handle client, std::string& line);
    void record(const std::string& line);

    const std::string greeting;
    const std::vector<Exchange> script;
    std::vector<std::vector<Exchange>> laterScripts;  // under mutex
    const After afterGreeting;

    // The destructor wakes the server thread from whatever it waits for.
    WakeableListener sockets;
    std::string pending;  // received bytes not yet split into command lines (server thread only)

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> received;
    bool hanging = false;
    bool smallBuffers = false;
    bool ended = false;

    std::thread thread;
};

}  // namespace testenv
