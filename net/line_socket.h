#pragma once

#include "base/lock.h"
#include "net/socket_io.h"
#include "net/tls_channel.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

// A blocking TCP client socket that turns the byte stream from the server into text lines and sends
// commands as lines ended by CR LF.
namespace net {

constexpr int kAfInet = 2;
constexpr int kSockStream = 1;
// The most characters that readLine keeps of one line into a string.
constexpr int kMaxLineChars = 1023;

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

    // How long connecting and each wait for data may take, in milliseconds; kNoTimeLimit (the start
    // value) or any value below 1 waits for ever. Set it before connect.
    void setTimeout(int milliseconds);
    // The last connect or read failed because the server did not answer within the time-out. Cleared by
    // create and connect.
    bool timedOut() const;

    // While one lives, the time-out is also a total limit: every wait for data ends by the time-out counted from
    // its start. For the steps that open a session (the greeting, the TLS handshake), which a server sending a
    // byte now and then could otherwise stretch without end. Without a time-out it changes nothing.
    class TotalLimit {
    public:
        explicit TotalLimit(LineSocket& socket);
        ~TotalLimit();
        TotalLimit(const TotalLimit&) = delete;
        TotalLimit& operator=(const TotalLimit&) = delete;

    private:
        LineSocket& socket;
    };

    // Lines: only LF ends a line, and a CR right before it belongs to the line end; any other CR is
    // data. A zero byte is data and comes out as a blank, so that a line stays one zero-ended text.
    // A line longer than the reader keeps is still read to its LF: its start is kept, the rest dropped.
    //
    // One line without its line end into a buffer of maxChars + 1 bytes, at most maxChars characters of
    // it. False when the connection ended or timed out first (the buffer holds what arrived of the line).
    bool readLine(char* buffer, int maxChars);
    // The same into a string, keeping at most kMaxLineChars characters.
    bool readLine(std::string& line);
    // Sends the text and CR LF, all of it; a failed send closes the socket. A text holding a CR or LF
    // is not one line and is refused unsent.
    bool sendLine(const char* text);

    // Sends whole commands ahead of their replies (PIPELINING) without ever waiting to send: what the socket
    // does not take at once is kept in order and goes out while the socket waits for data, so the client keeps
    // reading replies while commands are still going out and neither side can block the other by writing.
    // Under TLS the text is encrypted first (the records wait, not the text). Later sends queue behind it. Not
    // for secrets: the waiting bytes are not wiped. False when the connection is gone or the send failed (then
    // the socket is closed).
    bool sendAhead(const std::string& text);

    // Ends the connection. The only operation meant to be called from another thread: it makes a
    // connect, receive or send blocked there fail.
    int close();

    // Waits for data within the time-out (and the total limit), then receives: the count, 0 at the end of the
    // stream, -1 on failure or time-out (timedOut tells which).
    // Once TLS runs, they carry decrypted bytes (the socket's own bytes pass through the channel, which
    // waits with the same time-out before each raw receive).
    int receive(char* buffer, int size, int flags);
    int sendBytes(const char* data, int length, int flags);

    // Starts TLS on the connected socket (worker thread). Bytes received in clear and not yet read are
    // dropped first: nothing sent before the handshake may pass for the server's protected replies. Unless
    // the result is Ok the connection is closed, so nothing more can be sent on it.
    TlsResult startTls(const std::string& serverName, const std::string& trustedFingerprint);

protected:
    SocketIo& socketIo() const {
        return io;
    }

private:
    class SocketHold;
    class RawTransport;

    bool connectPeer(const PeerAddress& peer);
    int rawReceive(char* buffer, int size, int flags);
    int rawSend(const char* data, int length, int flags);
    // Sends what the socket takes of the waiting bytes now; false when the send failed.
    bool sendWaitingBytes();
    void dropWaitingBytes();
    // What is left of one wait for data (the time-out, or less under a total limit); -1 once the limit has passed
    // (noted as a time-out).
    int waitLimit();
    // True when the wait found the socket ready; a time-out is noted.
    bool waited(WaitResult result);

    template <typename Store>
    bool readInto(Store store);
    bool fillBuffer();

    SocketIo& io;
    // The current received chunk: bytes cursor .. chunkEnd - 1 are still to be handed out.
    char receiveBuffer[1024] = {};
    int cursor = 0;
    int chunkEnd = 0;
    // A CR was read and is held back until the next byte shows whether it begins the line end (a LF
    // follows, even in the next chunk) or is data.
    bool pendingCR = false;
    int timeoutMs = kNoTimeLimit;
    // The end of the running TotalLimit, if any (worker thread only, like every read).
    bool deadlineSet = false;
    std::chrono::steady_clock::time_point deadline;
    std::atomic<bool> lastFailureTimedOut{false};
    // The handle is only read and changed under handleMutex, which is never held during a blocking call.
    // A connect, receive or send holds the socket while it runs; a close from another thread then
    // interrupts the call, and the last holder releases the handle (releaseWhenFree), so a handle is
    // never released while a call may still use it.
    base::Lock handleMutex;
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
    // Bytes sent ahead and not yet taken by the socket (worker thread only): outgoing[outgoingSent..].
    std::string outgoing;
    std::size_t outgoingSent = 0;
    bool sendingAhead = false;  // sends go to `outgoing` (the TLS channel's records of a text sent ahead)
};

}  // namespace net
