#pragma once

#include "tests/support/loopback_tcp.h"

// The sockets of a test peer that serves on its own thread: a listener on 127.0.0.1 and, beside it, a
// connected pair whose receiving end the thread waits on too, so that wake() ends whatever it waits for.
// The owner wakes and joins its thread before this goes; then every socket is closed.
namespace testenv {

class WakeableListener {
public:
    WakeableListener();
    ~WakeableListener();
    WakeableListener(const WakeableListener&) = delete;
    WakeableListener& operator=(const WakeableListener&) = delete;

    // False when a socket could not be set up: no thread should be started then.
    bool ready() const;
    int port() const;
    loopback::Handle listener() const;
    loopback::Handle wakeReceiver() const;
    void wake();

private:
    int listenPort = 0;
    loopback::Handle listening = loopback::kNone;
    loopback::Handle wakeSending = loopback::kNone;
    loopback::Handle wakeReceiving = loopback::kNone;
};

}  // namespace testenv
