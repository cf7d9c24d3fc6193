#pragma once

#include <cstdint>
#include <string>

// The few TCP server-side operations the fake POP3 server needs, on 127.0.0.1 only: Winsock on Windows,
// POSIX sockets elsewhere. Failures of setup calls fail the calling test.
namespace testenv::loopback {

using Handle = std::intptr_t;
constexpr Handle kNone = -1;

// Starts and stops the socket library (Winsock counts its users itself).
void startup();
void cleanup();

// A listening socket on 127.0.0.1 at a port the system picks; port receives it. With a backlog of 0 and one
// connection waiting unaccepted, the system drops further connection attempts: they get no answer at all.
Handle listen(int& port, int backlog = 4);
Handle connect(int port);
Handle accept(Handle listener);
// Blocks until one of the two sockets has data or an end to read; returns that one (first wins).
Handle waitReadable(Handle first, Handle second);
int receive(Handle socket, char* buffer, int size);  // count, 0 at end, -1 on error
bool sendAll(Handle socket, const std::string& bytes);
// Sets the socket's send and receive buffers to `bytes` (the system may round it), so that a peer that stops
// reading blocks its writer early.
void shrinkBuffers(Handle socket, int bytes);
// Sends the end of the stream, then releases the socket.
void close(Handle socket);

}  // namespace testenv::loopback
