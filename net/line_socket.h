#pragma once

#include "net/socket_io.h"
#include "net/tls_channel.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

// A blocking TCP client socket that turns the byte stream from the server into text lines and sends
// commands as lines ended by CR LF.
namespace net {

constexpr int kAfInet = 2;
constexpr int kSockStream = 1;

// The IPv4 address (network byte order) of a host name or dotted address; 0xFFFFFFFF when it is neither.
// Name lookups need the socket library started, that is, a LineSocket alive.
std::uint32_t resolveHost(const char* name);
std::uint32_t resolveHost(const char* name, SocketIo& io);

class LineSocket {
public:
    explicit LineSocket(int family);
    LineSocket(int family, SocketIo& io);
    virtual ~LineSocket();

    LineSocket(const LineSocket&) = delete;
    LineSocket& operator=(const LineSocket&) = delete;

    bool create(int type, int protocol);
    bool connect(std::uint32_t address, int port);
    // Connects by host name or literal address (IPv4 or IPv6): to each address of the name in turn until one
    // accepts, with a new socket (of that address's family) for each further try. The socket must have been
    // created. False when none accepted or a close from another thread stopped the tries.
    bool connectHost(const char* name, int port);

    // One line without its line end into a buffer of maxChars + 1 bytes. False when the connection
    // ended (the buffer holds what arrived) or the line is longer than maxChars (the buffer holds the
    // first maxChars characters, the rest stays buffered and comes as the next line).
    bool readLine(char* buffer, int maxChars);
    // One line of any length. False when the connection ended; the string holds what arrived of the line.
    bool readLine(std::string& line);
    // Sends the text and CR LF, all of it; a failed send closes the socket.
    bool sendLine(const char* text);

    // Ends the connection. The only operation meant to be called from another thread: it makes a
    // connect, receive or send blocked there fail.
    int close();

    // Once TLS runs, these carry decrypted bytes; the socket's own bytes pass through the channel.
    int receive(char* buffer, int size, int flags);
    int sendBytes(const char* data, int length, int flags);
    bool isConnected() const;

    // Starts TLS on the connected socket (worker thread). Bytes received in clear and not yet read are
    // dropped first: nothing sent before the handshake may pass for the server's protected replies. Unless
    // the result is Ok the connection is closed, so nothing more can be sent on it.
    TlsResult startTls(const std::string& serverName, const std::string& trustedFingerprint);
    bool isEncrypted() const;

protected:
    SocketIo& socketIo() const {
        return io;
    }

private:
    enum class LineEnd { Terminated, Full, ConnectionEnded };
    class SocketHold;
    class RawTransport;

    bool connectPeer(const PeerAddress& peer);
    int rawReceive(char* buffer, int size, int flags);
    int rawSend(const char* data, int length, int flags);

    template <typename Store>
    LineEnd readInto(Store store);
    bool fillBuffer();

    SocketIo& io;
    // The current received chunk, ended by a zero byte; a receive asks for at most 1023 bytes.
    char receiveBuffer[1024] = {};
    int cursor = 0;
    // The last line ended at a CR, so a LF that comes next (even in the next chunk) is skipped.
    bool pendingCR = false;
    // The handle is only read and changed under handleMutex, which is never held during a blocking call.
    // A connect, receive or send holds the socket while it runs; a close from another thread then
    // interrupts the call, and the last holder releases the handle (releaseWhenFree), so a handle is
    // never released while a call may still use it.
    std::mutex handleMutex;
    SocketHandle socketHandle = kInvalidSocket;
    int holders = 0;
    unsigned closeCount = 0;  // closes so far, so that connectHost notices a stop between its tries
    SocketHandle releaseWhenFree = kInvalidSocket;
    std::atomic<bool> connected{false};
    PeerAddress peerAddress;
    int family;
    // The TLS channel of the current connection, used and replaced on the worker thread only; a close from
    // another thread reaches it through the socket under it.
    std::unique_ptr<TlsTransport> transport;
    std::unique_ptr<TlsChannel> tls;
    bool encrypted = false;
};

}  // namespace net
