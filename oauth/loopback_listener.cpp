#include "oauth/loopback_listener.h"

#include "oauth/redirect_request.h"

#include <chrono>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using SocketLength = int;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
using SocketLength = socklen_t;
#endif

namespace oauth {

namespace {

#ifdef _WIN32
const std::uintptr_t kNone = static_cast<std::uintptr_t>(INVALID_SOCKET);
void closeSocket(std::uintptr_t socket) {
    closesocket(static_cast<SOCKET>(socket));
}
#else
const std::uintptr_t kNone = static_cast<std::uintptr_t>(-1);
void closeSocket(std::uintptr_t socket) {
    ::close(static_cast<int>(socket));
}
#endif

// A cancel is noticed within this time; the wait is in slices so that no second thread ever closes a socket
// this one may be using.
constexpr int kSliceMs = 100;

// Whether the socket becomes readable within `ms`.
bool readableWithin(std::uintptr_t socket, int ms) {
    fd_set set;
    FD_ZERO(&set);
#ifdef _WIN32
    FD_SET(static_cast<SOCKET>(socket), &set);
#else
    FD_SET(static_cast<int>(socket), &set);
#endif
    timeval wait{ms / 1000, (ms % 1000) * 1000};
    return select(static_cast<int>(socket) + 1, &set, nullptr, nullptr, &wait) > 0;
}

}  // namespace

LoopbackListener::LoopbackListener() : listening_(kNone), connection_(kNone) {
#ifdef _WIN32
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
#else
    started_ = true;
#endif
}

LoopbackListener::~LoopbackListener() {
    closeConnection();
    closeListening();
#ifdef _WIN32
    if (started_) {
        WSACleanup();
    }
#endif
}

void LoopbackListener::closeListening() {
    if (listening_ != kNone) {
        closeSocket(listening_);
        listening_ = kNone;
    }
}

void LoopbackListener::closeConnection() {
    if (connection_ != kNone) {
        closeSocket(connection_);
        connection_ = kNone;
    }
}

bool LoopbackListener::open() {
    if (!started_) {
        return false;
    }
    const auto socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    listening_ = static_cast<std::uintptr_t>(socket);
    if (listening_ == kNone) {
        return false;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    SocketLength length = sizeof address;
    if (bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(socket, 1) != 0 ||
        getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closeListening();
        return false;
    }
    port_ = ntohs(address.sin_port);
    return true;
}

ListenResult LoopbackListener::takeRequest(std::string& request, int timeoutMs) {
    request.clear();
    if (listening_ == kNone) {
        return ListenResult::Failed;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto waitFor = [&](std::uintptr_t socket) {
        for (;;) {
            if (cancelled_) {
                return ListenResult::Cancelled;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return ListenResult::TimedOut;
            }
            if (readableWithin(socket, left.count() < kSliceMs ? static_cast<int>(left.count()) : kSliceMs)) {
                return ListenResult::Request;
            }
        }
    };
    ListenResult waited = waitFor(listening_);
    if (waited != ListenResult::Request) {
        closeListening();
        return waited;
    }
#ifdef _WIN32
    connection_ = static_cast<std::uintptr_t>(accept(static_cast<SOCKET>(listening_), nullptr, nullptr));
#else
    connection_ = static_cast<std::uintptr_t>(accept(static_cast<int>(listening_), nullptr, nullptr));
#endif
    closeListening();
    if (connection_ == kNone) {
        return ListenResult::Failed;
    }
    while (!redirectHeadComplete(request)) {
        if (request.size() > kMaxRedirectRequestBytes) {
            return ListenResult::TooLarge;
        }
        waited = waitFor(connection_);
        if (waited != ListenResult::Request) {
            closeConnection();
            return waited;
        }
        char chunk[1024];
        const int got =
            static_cast<int>(recv(static_cast<decltype(::socket(0, 0, 0))>(connection_), chunk, sizeof chunk, 0));
        if (got <= 0) {
            closeConnection();
            return ListenResult::Failed;
        }
        request.append(chunk, static_cast<std::size_t>(got));
    }
    return ListenResult::Request;
}

void LoopbackListener::respond(const std::string& response) {
    std::size_t sent = 0;
    while (connection_ != kNone && sent < response.size()) {
        const int wrote = static_cast<int>(send(static_cast<decltype(::socket(0, 0, 0))>(connection_),
                                                response.data() + sent, static_cast<int>(response.size() - sent), 0));
        if (wrote <= 0) {
            break;
        }
        sent += static_cast<std::size_t>(wrote);
    }
    closeConnection();
}

}  // namespace oauth
