#include "tests/support/fake_pop3_server.h"

#include <gtest/gtest.h>

#include <chrono>

namespace testenv {

namespace {

// Only a guard against a test that would otherwise hang; no result depends on it.
constexpr std::chrono::seconds kGuard(30);

}  // namespace

FakePop3Server::FakePop3Server(std::string greeting, std::vector<Exchange> script, After afterGreeting)
    : greeting(std::move(greeting)), script(std::move(script)), afterGreeting(afterGreeting) {
    if (!sockets.ready()) {
        ended = true;
        return;
    }
    thread = std::thread([this] { serve(); });
}

FakePop3Server::~FakePop3Server() {
    if (thread.joinable()) {
        sockets.wake();
        thread.join();
    }
}

int FakePop3Server::port() const {
    return sockets.port();
}

std::vector<std::string> FakePop3Server::commands() {
    std::unique_lock<std::mutex> lock(mutex);
    if (!changed.wait_for(lock, kGuard, [this] { return ended; })) {
        ADD_FAILURE() << "the client's session with the fake POP3 server did not end";
    }
    return received;
}

void FakePop3Server::waitUntilHanging() {
    std::unique_lock<std::mutex> lock(mutex);
    if (!changed.wait_for(lock, kGuard, [this] { return hanging || ended; }) || !hanging) {
        ADD_FAILURE() << "the fake POP3 server did not reach its Hang step";
    }
}

void FakePop3Server::thenServe(std::vector<Exchange> nextScript) {
    std::lock_guard<std::mutex> lock(mutex);
    laterScripts.push_back(std::move(nextScript));
}

void FakePop3Server::useSmallBuffers() {
    std::lock_guard<std::mutex> lock(mutex);
    smallBuffers = true;
}

void FakePop3Server::serve() {
    std::vector<Exchange> steps = script;
    for (std::size_t session = 0;; ++session) {
        if (loopback::waitReadable(sockets.wakeReceiver(), sockets.listener()) != sockets.listener()) {
            break;
        }
        loopback::Handle client = loopback::accept(sockets.listener());
        if (client == loopback::kNone) {
            break;
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (smallBuffers) {
                loopback::shrinkBuffers(client, 65536);
            }
        }
        pending.clear();
        converse(client, steps);
        loopback::close(client);
        std::lock_guard<std::mutex> lock(mutex);
        if (session >= laterScripts.size()) {
            break;
        }
        steps = laterScripts[session];
        hanging = false;
    }
    std::lock_guard<std::mutex> lock(mutex);
    ended = true;
    changed.notify_all();
}

void FakePop3Server::converse(loopback::Handle client, const std::vector<Exchange>& steps) {
    if (!greeting.empty()) {
        loopback::sendAll(client, greeting);
    }
    if (!finishStep(client, afterGreeting)) {
        return;
    }
    std::size_t next = 0;
    std::string line;
    while (readCommand(client, line)) {
        record(line);
        if (next == steps.size()) {
            return;
        }
        if (line != steps[next].command) {
            loopback::sendAll(client, "-ERR unexpected\r\n");
            continue;
        }
        const Exchange& exchange = steps[next++];
        if (!exchange.reply.empty()) {
            loopback::sendAll(client, exchange.reply);
        }
        if (!finishStep(client, exchange.after)) {
            return;
        }
    }
}

// False when the conversation is over.
bool FakePop3Server::finishStep(loopback::Handle client, After after) {
    switch (after) {
        case After::Nothing:
            return true;
        case After::Close:
            return false;
        case After::Hang:
            hang(client);
            return false;
    }
    return false;
}

void FakePop3Server::hang(loopback::Handle client) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        hanging = true;
        changed.notify_all();
    }
    std::string line;
    while (readCommand(client, line)) {
        record(line);
    }
}

// One command line without its line end; false when the client disconnected or the server is stopping.
bool FakePop3Server::readCommand(loopback::Handle client, std::string& line) {
    for (;;) {
        std::size_t end = pending.find('\n');
        if (end != std::string::npos) {
            line = pending.substr(0, end);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            pending.erase(0, end + 1);
            return true;
        }
        if (loopback::waitReadable(sockets.wakeReceiver(), client) == sockets.wakeReceiver()) {
            return false;
        }
        char buffer[1024];
        int count = loopback::receive(client, buffer, sizeof buffer);
        if (count <= 0) {
            return false;
        }
        pending.append(buffer, static_cast<std::size_t>(count));
    }
}

void FakePop3Server::record(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex);
    received.push_back(line);
}

}  // namespace testenv
