#include "net/socket_io.h"

namespace net {

void SocketIo::acquire() {
    base::Locked lock(usersMutex);
    if (++users == 1) {
        started = startup();
    }
}

void SocketIo::release() {
    base::Locked lock(usersMutex);
    if (--users == 0 && started) {
        cleanup();
        started = false;
    }
}

std::vector<PeerAddress> SocketIo::lookupAddresses(const char* name) {
    PeerAddress peer;
    peer.family = 2;  // AF_INET everywhere
    if (!lookupHost(name, peer.address)) {
        // Neither a name nor a dotted address gives 0xFFFFFFFF, which the connect then refuses.
        peer.address = parseDottedAddress(name);
    }
    return {peer};
}

WaitResult SocketIo::waitReadableOrWritable(SocketHandle, int, bool& readable, bool& writable) {
    readable = false;
    writable = true;
    return WaitResult::Ready;
}

int SocketIo::sendWithoutWaiting(SocketHandle socket, const char* data, int length) {
    return send(socket, data, length, 0);
}

bool SocketIo::ready() const {
    base::Locked lock(usersMutex);
    return started;
}

}  // namespace net
