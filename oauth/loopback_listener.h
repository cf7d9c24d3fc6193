#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// The sign-in's redirect address: a TCP listener on 127.0.0.1 at a port the system picks, that takes exactly one
// request (RFC 8252's loopback redirect) and then closes.
namespace oauth {

enum class ListenResult {
    Request,  // one request head arrived (see takeRequest)
    TimedOut,
    Cancelled,  // cancel() was called
    TooLarge,   // more than kMaxRedirectRequestBytes without the end of a request head
    Failed,
};

class LoopbackListener {
public:
    LoopbackListener();
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    // Binds and listens; false when the system refused. Then port() tells where.
    bool open();
    int port() const {
        return port_;
    }
    // Waits for one connection and reads its request head, at most `timeoutMs` in all. The listening socket is
    // closed as soon as the connection is taken, so no second request is ever accepted.
    ListenResult takeRequest(std::string& request, int timeoutMs);
    // Sends the whole response on the taken connection and closes it.
    void respond(const std::string& response);
    // Ends a wait from another thread (the dialog's cancel button); the wait returns Cancelled.
    void cancel() {
        cancelled_ = true;
    }

private:
    void closeListening();
    void closeConnection();

    std::uintptr_t listening_;
    std::uintptr_t connection_;
    int port_ = 0;
    bool started_ = false;
    std::atomic<bool> cancelled_{false};
};

}  // namespace oauth
