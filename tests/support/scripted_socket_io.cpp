#include "tests/support/scripted_socket_io.h"

#include <algorithm>
#include <cstring>

namespace testenv {

void ScriptedSocketIo::setChunks(std::initializer_list<std::string> list) {
    chunks.assign(list.begin(), list.end());
}

bool ScriptedSocketIo::startup() {
    ++startupCalls;
    return !startupFails;
}

void ScriptedSocketIo::cleanup() {
    ++cleanupCalls;
}

net::SocketHandle ScriptedSocketIo::openSocket(int, int, int) {
    ++socketCalls;
    return socketFails ? net::kInvalidSocket : kHandle;
}

int ScriptedSocketIo::connectTo(net::SocketHandle socket, const net::PeerAddress& peer, int timeoutMs) {
    ++connectCalls;
    aheadBudget = aheadBytesPerWait;  // a new connection's buffer takes that much at once
    lastPeer = peer;
    lastConnectTimeoutMs = timeoutMs;
    if (connectTimesOut) {
        return net::kConnectTimedOut;
    }
    return socket == kHandle && !connectFails ? 0 : -1;
}

net::WaitResult ScriptedSocketIo::waitReadable(net::SocketHandle socket, int timeoutMs) {
    ++waitCalls;
    lastWaitTimeoutMs = timeoutMs;
    if (socket != kHandle) {
        return net::WaitResult::Failed;
    }
    if (!chunkNeeds.empty() && sent.size() < chunkNeeds.front()) {
        return net::WaitResult::TimedOut;
    }
    return chunks.empty() && silentAtEnd ? net::WaitResult::TimedOut : net::WaitResult::Ready;
}

int ScriptedSocketIo::receive(net::SocketHandle socket, char* buffer, int size, int) {
    ++receiveCalls;
    if (socket != kHandle) {
        return -1;
    }
    if (chunks.empty()) {
        return endResult;
    }
    std::string& chunk = chunks.front();
    int count = std::min(size, static_cast<int>(chunk.size()));
    std::memcpy(buffer, chunk.data(), static_cast<std::size_t>(count));
    chunk.erase(0, static_cast<std::size_t>(count));
    if (chunk.empty()) {
        chunks.pop_front();
        if (!chunkNeeds.empty()) {
            chunkNeeds.pop_front();
        }
    }
    return count;
}

int ScriptedSocketIo::send(net::SocketHandle socket, const char* data, int length, int) {
    ++sendCalls;
    if (socket != kHandle || sendCalls == failingSend) {
        return -1;
    }
    int count = maxSendBytes > 0 ? std::min(length, maxSendBytes) : length;
    sent.append(data, static_cast<std::size_t>(count));
    writes.emplace_back(data, static_cast<std::size_t>(count));
    return count;
}

net::WaitResult ScriptedSocketIo::waitReadableOrWritable(net::SocketHandle socket,
                                                         int timeoutMs,
                                                         bool& readable,
                                                         bool& writable) {
    ++waitCalls;
    lastWaitTimeoutMs = timeoutMs;
    if (socket != kHandle) {
        return net::WaitResult::Failed;
    }
    aheadBudget = aheadBytesPerWait;
    readable = chunks.empty() ? !silentAtEnd : chunkNeeds.empty() || sent.size() >= chunkNeeds.front();
    writable = true;
    return net::WaitResult::Ready;
}

int ScriptedSocketIo::sendWithoutWaiting(net::SocketHandle socket, const char* data, int length) {
    if (aheadBytesPerWait <= 0) {
        return send(socket, data, length, 0);
    }
    const int count = std::min(length, aheadBudget);
    aheadBudget -= count;
    return count == 0 ? 0 : send(socket, data, count, 0);
}

int ScriptedSocketIo::close(net::SocketHandle socket) {
    ++closeCalls;
    return socket == kHandle ? 0 : -1;
}

bool ScriptedSocketIo::interrupt(net::SocketHandle) {
    ++interruptCalls;
    return false;
}

bool ScriptedSocketIo::lookupHost(const char* name, std::uint32_t& address) {
    auto found = hosts.find(name);
    if (found == hosts.end()) {
        return false;
    }
    address = found->second;
    return true;
}

std::uint32_t ScriptedSocketIo::parseDottedAddress(const char*) {
    return 0xFFFFFFFF;
}

}  // namespace testenv
