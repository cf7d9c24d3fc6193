#include "tests/support/pop3_relay.h"

namespace testenv {

Pop3Relay::Pop3Relay(int serverPort, bool hideExtensions) : serverPort(serverPort), hideExtensions(hideExtensions) {
    if (sockets.ready()) {
        thread = std::thread([this] { serve(); });
    }
}

Pop3Relay::~Pop3Relay() {
    if (thread.joinable()) {
        sockets.wake();
        thread.join();
    }
}

int Pop3Relay::port() const {
    return sockets.port();
}

int Pop3Relay::count(const std::string& word) {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = counts.find(word);
    return found == counts.end() ? 0 : found->second;
}

void Pop3Relay::resetCounts() {
    std::lock_guard<std::mutex> lock(mutex);
    counts.clear();
}

void Pop3Relay::serve() {
    // Between sessions the relay waits for a client or for the destructor's wake-up byte.
    while (loopback::waitReadable(sockets.listener(), sockets.wakeReceiver()) == sockets.listener()) {
        loopback::Handle client = loopback::accept(sockets.listener());
        if (client == loopback::kNone) {
            return;
        }
        relay(client);
    }
}

void Pop3Relay::relay(loopback::Handle client) {
    loopback::Handle server = loopback::connect(serverPort);
    pending.clear();
    char buffer[16384];
    while (server != loopback::kNone) {
        const loopback::Handle ready = loopback::waitReadable(client, server);
        const int size = loopback::receive(ready, buffer, sizeof buffer);
        if (size <= 0) {
            break;
        }
        if (ready == server) {
            if (!loopback::sendAll(client, std::string(buffer, static_cast<std::size_t>(size)))) {
                break;
            }
        } else {
            takeClientBytes(buffer, size, client, server);
        }
    }
    if (server != loopback::kNone) {
        loopback::close(server);
    }
    loopback::close(client);
}

void Pop3Relay::takeClientBytes(const char* data, int size, loopback::Handle client, loopback::Handle server) {
    pending.append(data, static_cast<std::size_t>(size));
    std::string forward;
    for (std::size_t end; (end = pending.find("\r\n")) != std::string::npos;) {
        const std::string line = pending.substr(0, end);
        pending.erase(0, end + 2);
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++counts[line.substr(0, line.find(' '))];
        }
        if (hideExtensions && line == "CAPA") {
            // Commands before it have been forwarded, and the client waits for this reply before it sends more.
            loopback::sendAll(server, forward);
            forward.clear();
            loopback::sendAll(client, "-ERR unknown command\r\n");
            continue;
        }
        forward += line + "\r\n";
    }
    if (!forward.empty()) {
        loopback::sendAll(server, forward);
    }
}

}  // namespace testenv
