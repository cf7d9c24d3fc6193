#include "net/socket_io.h"

namespace net {

void SocketIo::acquire() {
    std::lock_guard<std::mutex> lock(usersMutex);
    if (++users == 1) {
        started = startup();
    }
}

void SocketIo::release() {
    std::lock_guard<std::mutex> lock(usersMutex);
    if (--users == 0 && started) {
        cleanup();
        started = false;
    }
}

bool SocketIo::ready() const {
    std::lock_guard<std::mutex> lock(usersMutex);
    return started;
}

}  // namespace net
