#pragma once

#include "net/line_socket.h"

// Whether the socket has given its connection up, seen through the calls the program makes: a new socket can be
// made only once the old one is closed (the probe closes the new one again).
namespace testenv {

inline bool socketReleased(net::LineSocket& socket) {
    if (!socket.create(net::kSockStream, 0)) {
        return false;
    }
    socket.close();
    return true;
}

}  // namespace testenv
