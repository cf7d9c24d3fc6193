#include "net/line_socket.h"

#include "base/ascii.h"
#include "base/wipe.h"

#include <cstring>
#include <new>

namespace net {

std::uint32_t resolveHost(const char* name) {
    return resolveHost(name, platformSocketIo());
}

std::uint32_t resolveHost(const char* name, SocketIo& io) {
    std::uint32_t address = 0;
    if (io.lookupHost(name, address)) {
        return address;
    }
    return io.parseDottedAddress(name);
}

LineSocket::LineSocket(int family) : LineSocket(family, platformSocketIo()) {
}

// Keeps the socket handle from being released while a call on it runs (see handleMutex).
class LineSocket::SocketHold {
public:
    explicit SocketHold(LineSocket& owner) : owner(owner) {
        base::Locked lock(owner.handleMutex);
        handle = owner.socketHandle;
        ++owner.holders;
    }
    ~SocketHold() {
        base::Locked lock(owner.handleMutex);
        if (--owner.holders == 0 && owner.releaseWhenFree != kInvalidSocket) {
            owner.io.close(owner.releaseWhenFree);
            owner.releaseWhenFree = kInvalidSocket;
        }
    }
    SocketHold(const SocketHold&) = delete;
    SocketHold& operator=(const SocketHold&) = delete;

    SocketHandle handle;

private:
    LineSocket& owner;
};

// The raw socket under a TLS channel.
class LineSocket::RawTransport : public TlsTransport {
public:
    explicit RawTransport(LineSocket& owner) : owner(owner) {
    }
    int rawReceive(char* buffer, int size) override {
        return owner.rawReceive(buffer, size, 0);
    }
    int rawSend(const char* data, int length) override {
        return owner.rawSend(data, length, 0);
    }

private:
    LineSocket& owner;
};

LineSocket::LineSocket(int family, SocketIo& io) : io(io), family(family) {
    peerAddress.family = family;
    io.acquire();
}

LineSocket::~LineSocket() {
    if (socketHandle != kInvalidSocket) {
        io.close(socketHandle);
    }
    io.release();
}

bool LineSocket::create(int type, int protocol) {
    base::Locked lock(handleMutex);
    lastFailureTimedOut.store(false);
    if (!io.ready() || socketHandle != kInvalidSocket) {
        return false;
    }
    socketHandle = io.openSocket(family, type, protocol);
    return socketHandle != kInvalidSocket;
}

bool LineSocket::connect(std::uint32_t address, int port) {
    PeerAddress peer;
    peer.family = family;
    peer.address = address;
    peer.port = port;
    return connectPeer(peer);
}

bool LineSocket::connectHost(const char* name, int port) {
    if (connected.load()) {
        return false;
    }
    unsigned closesBefore;
    {
        base::Locked lock(handleMutex);
        if (socketHandle == kInvalidSocket) {
            return false;
        }
        closesBefore = closeCount;
    }
    bool first = true;
    for (PeerAddress peer : io.lookupAddresses(name)) {
        peer.port = port;
        if (!first || peer.family != family) {
            // A socket that failed to connect is not reused; the next address may need another family.
            base::Locked lock(handleMutex);
            if (closeCount != closesBefore || holders > 0) {
                return false;
            }
            if (socketHandle != kInvalidSocket) {
                io.close(socketHandle);
            }
            socketHandle = io.openSocket(peer.family, kSockStream, 0);
            if (socketHandle == kInvalidSocket) {
                return false;
            }
        }
        first = false;
        if (connectPeer(peer)) {
            return true;
        }
    }
    return false;
}

bool LineSocket::connectPeer(const PeerAddress& peer) {
    if (connected.load()) {
        return false;
    }
    peerAddress = peer;
    lastFailureTimedOut.store(false);
    SocketHold hold(*this);
    if (hold.handle == kInvalidSocket) {
        return false;
    }
    int result = io.connectTo(hold.handle, peerAddress, timeoutMs);
    if (result != 0) {
        lastFailureTimedOut.store(result == kConnectTimedOut);
        return false;
    }
    // A new stream: bytes left over from an earlier connection (one stopped in the middle of a reply)
    // must not be read as this server's greeting and replies.
    cursor = 0;
    chunkEnd = 0;
    pendingCR = false;
    tls.reset();
    encrypted = false;
    dropWaitingBytes();
    connected.store(true);
    return true;
}

TlsResult LineSocket::startTls(const std::string& serverName, const std::string& trustedFingerprint) {
    TlsResult result;
    if (!connected.load() || encrypted) {
        return result;
    }
    cursor = 0;
    chunkEnd = 0;
    pendingCR = false;
    dropWaitingBytes();
    if (!transport) {
        transport = std::make_unique<RawTransport>(*this);
    }
    tls = makeTlsChannel(*transport);
    result = tls->handshake(serverName, trustedFingerprint);
    if (result.status != TlsStatus::Ok) {
        close();
        return result;
    }
    encrypted = true;
    return result;
}

int LineSocket::close() {
    connected.store(false);
    base::Locked lock(handleMutex);
    ++closeCount;
    SocketHandle handle = socketHandle;
    socketHandle = kInvalidSocket;
    if (handle != kInvalidSocket && holders > 0) {
        // A call in another thread is using the socket: make it fail, and let it release the handle.
        if (!io.interrupt(handle)) {
            releaseWhenFree = handle;
        }
        return 0;
    }
    // Also without a socket: the platform then reports an error, which callers ignore.
    return io.close(handle);
}

void LineSocket::setTimeout(int milliseconds) {
    timeoutMs = milliseconds;
}

bool LineSocket::timedOut() const {
    return lastFailureTimedOut.load();
}

LineSocket::TotalLimit::TotalLimit(LineSocket& socket) : socket(socket) {
    socket.deadlineSet = socket.timeoutMs > 0;
    socket.deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(socket.timeoutMs);
}

LineSocket::TotalLimit::~TotalLimit() {
    socket.deadlineSet = false;
}

int LineSocket::receive(char* buffer, int size, int flags) {
    if (!encrypted) {
        return rawReceive(buffer, size, flags);
    }
    int count = tls->receive(buffer, size);
    if (count == 0) {
        connected.store(false);
    }
    return count;
}

int LineSocket::sendBytes(const char* data, int length, int flags) {
    return encrypted ? tls->send(data, length) : rawSend(data, length, flags);
}

int LineSocket::waitLimit() {
    if (!deadlineSet) {
        return timeoutMs;
    }
    // Under the total limit a wait gets only what is left of it (never 0, which would mean no limit at all).
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left < 1) {
        lastFailureTimedOut.store(true);
        return -1;
    }
    return left < timeoutMs ? static_cast<int>(left) : timeoutMs;
}

bool LineSocket::waited(WaitResult result) {
    if (result == WaitResult::TimedOut) {
        lastFailureTimedOut.store(true);
    }
    return result == WaitResult::Ready;
}

int LineSocket::rawReceive(char* buffer, int size, int flags) {
    SocketHold hold(*this);
    if (hold.handle == kInvalidSocket) {
        return -1;
    }
    bool readable = false;
    // While commands sent ahead are still going out, the wait sends them as the socket takes them: the server
    // may not read them before it has sent replies that only this receive makes room for.
    while (!readable && outgoingSent < outgoing.size()) {
        bool writable = false;
        const int waitMs = waitLimit();
        if (waitMs < 0 || !waited(io.waitReadableOrWritable(hold.handle, waitMs, readable, writable)) ||
            (writable && !sendWaitingBytes())) {
            return -1;
        }
    }
    if (!readable) {
        const int waitMs = waitLimit();
        if (waitMs < 0 || !waited(io.waitReadable(hold.handle, waitMs))) {
            return -1;
        }
    }
    int count = io.receive(hold.handle, buffer, size, flags);
    if (count == 0) {
        connected.store(false);
    }
    return count;
}

int LineSocket::rawSend(const char* data, int length, int flags) {
    if (sendingAhead || outgoingSent < outgoing.size()) {
        // Behind bytes that are still waiting: they keep their order.
        try {
            outgoing.append(data, static_cast<std::size_t>(length));
        } catch (const std::bad_alloc&) {
            return -1;
        }
        return length;
    }
    SocketHold hold(*this);
    if (hold.handle == kInvalidSocket) {
        return -1;
    }
    return io.send(hold.handle, data, length, flags);
}

bool LineSocket::sendAhead(const std::string& text) {
    if (!connected.load()) {
        return false;
    }
    sendingAhead = true;
    bool taken = true;
    for (std::size_t done = 0; taken && done < text.size();) {
        const int chunk = text.size() - done > 65536 ? 65536 : static_cast<int>(text.size() - done);
        const int count = sendBytes(text.data() + done, chunk, 0);
        taken = count > 0;
        done += taken ? static_cast<std::size_t>(count) : 0;
    }
    sendingAhead = false;
    if (!taken || !sendWaitingBytes()) {
        close();
        return false;
    }
    return true;
}

bool LineSocket::sendWaitingBytes() {
    SocketHold hold(*this);
    if (hold.handle == kInvalidSocket) {
        return false;
    }
    while (outgoingSent < outgoing.size()) {
        const std::size_t left = outgoing.size() - outgoingSent;
        const int count = io.sendWithoutWaiting(hold.handle, outgoing.data() + outgoingSent,
                                                left > 65536 ? 65536 : static_cast<int>(left));
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            return true;  // the rest goes out while the socket waits for replies
        }
        outgoingSent += static_cast<std::size_t>(count);
    }
    dropWaitingBytes();
    return true;
}

void LineSocket::dropWaitingBytes() {
    outgoingSent = 0;
    if (outgoing.capacity() > 65536) {
        std::string().swap(outgoing);  // a long run of commands does not keep its room for the rest of the session
    } else {
        outgoing.clear();
    }
}

bool LineSocket::fillBuffer() {
    int count = receive(receiveBuffer, static_cast<int>(sizeof receiveBuffer), 0);
    if (count <= 0) {
        close();
        return false;
    }
    cursor = 0;
    chunkEnd = count;
    return true;
}

// Hands every byte of the line to `store` (a CR only once it is known to be data) up to its LF, which ends
// it; false when the connection ends first.
template <typename Store>
bool LineSocket::readInto(Store store) {
    for (;;) {
        if (cursor == chunkEnd && !fillBuffer()) {
            if (pendingCR) {
                pendingCR = false;
                store('\r');
            }
            return false;
        }
        char c = receiveBuffer[cursor++];
        if (c == '\n') {
            pendingCR = false;
            return true;
        }
        if (pendingCR) {
            store('\r');
        }
        pendingCR = c == '\r';
        if (!pendingCR) {
            store(c == '\0' ? ' ' : c);
        }
    }
}

bool LineSocket::readLine(char* buffer, int maxChars) {
    if (!connected.load()) {
        return false;
    }
    int count = 0;
    bool ended = readInto([&](char c) {
        if (count < maxChars) {
            buffer[count++] = c;
        }
    });
    buffer[count] = '\0';
    return ended;
}

bool LineSocket::readLine(std::string& line) {
    if (!connected.load()) {
        return false;
    }
    line.clear();
    return readInto([&](char c) {
        if (line.size() < static_cast<std::size_t>(kMaxLineChars)) {
            line += c;
        }
    });
}

bool LineSocket::sendLine(const char* text) {
    if (!base::fitsOneLine(text)) {
        return false;
    }
    // Reserved at its final size: growing it would give back a block that still holds the line (a password).
    const std::size_t length = std::strlen(text);
    std::string copy;
    try {
        copy.reserve(length + 2);
        copy.append(text, length);
        copy += "\r\n";
    } catch (const std::bad_alloc&) {
        return false;
    }
    // A send may take only part of the line; the rest follows until all is sent or a send fails.
    const char* data = copy.data();
    int remaining = static_cast<int>(copy.size());
    bool allSent = true;
    while (remaining > 0) {
        int sent = sendBytes(data, remaining, 0);
        if (sent <= 0) {
            close();
            allSent = false;
            break;
        }
        data += sent;
        remaining -= sent;
    }
    // The line may have carried a password.
    base::wipeString(copy);
    return allSent;
}

}  // namespace net
