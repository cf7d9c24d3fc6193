#pragma once

// The address work both socket seams do alike. This header names no platform header itself: each seam file
// includes it after its own socket headers (BSD sockets or Winsock), which supply addrinfo, sockaddr_in(6)
// and getaddrinfo, so the portable core stays free of <windows.h>.

#include "net/socket_io.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace net {

// The IPv4 and IPv6 stream addresses the resolver gives for the name, in its order; none when it fails.
inline std::vector<PeerAddress> lookupPeerAddresses(const char* name) {
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    std::vector<PeerAddress> peers;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0) {
        return peers;
    }
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        PeerAddress peer;
        peer.family = entry->ai_family;
        if (entry->ai_family == AF_INET) {
            peer.address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
        } else if (entry->ai_family == AF_INET6) {
            const auto* v6 = reinterpret_cast<const sockaddr_in6*>(entry->ai_addr);
            std::memcpy(peer.address6, &v6->sin6_addr, sizeof peer.address6);
            peer.scope6 = v6->sin6_scope_id;
        } else {
            continue;
        }
        peers.push_back(peer);
    }
    freeaddrinfo(found);
    return peers;
}

// Fills the storage with the peer's socket address and gives its length in bytes.
inline std::size_t fillSocketAddress(const PeerAddress& peer, sockaddr_storage& storage) {
    std::memset(&storage, 0, sizeof storage);
    if (peer.family == AF_INET6) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<std::uint16_t>(peer.port));
        std::memcpy(&v6->sin6_addr, peer.address6, sizeof peer.address6);
        v6->sin6_scope_id = peer.scope6;
        return sizeof(sockaddr_in6);
    }
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    v4->sin_family = static_cast<decltype(v4->sin_family)>(peer.family);
    v4->sin_port = htons(static_cast<std::uint16_t>(peer.port));
    v4->sin_addr.s_addr = peer.address;
    return sizeof(sockaddr_in);
}

}  // namespace net
