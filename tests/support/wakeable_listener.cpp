#include "tests/support/wakeable_listener.h"

namespace testenv {

WakeableListener::WakeableListener() {
    loopback::startup();
    int wakePort = 0;
    loopback::Handle wakeListener = loopback::listen(wakePort);
    if (wakeListener != loopback::kNone) {
        wakeSending = loopback::connect(wakePort);
        wakeReceiving = loopback::accept(wakeListener);
        loopback::close(wakeListener);
    }
    listening = loopback::listen(listenPort);
}

WakeableListener::~WakeableListener() {
    loopback::close(listening);
    loopback::close(wakeSending);
    loopback::close(wakeReceiving);
    loopback::cleanup();
}

bool WakeableListener::ready() const {
    return listening != loopback::kNone && wakeSending != loopback::kNone && wakeReceiving != loopback::kNone;
}

int WakeableListener::port() const {
    return listenPort;
}

loopback::Handle WakeableListener::listener() const {
    return listening;
}

loopback::Handle WakeableListener::wakeReceiver() const {
    return wakeReceiving;
}

void WakeableListener::wake() {
    loopback::sendAll(wakeSending, "x");
}

}  // namespace testenv
