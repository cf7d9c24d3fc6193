#include "net/pop3_session.h"

#include "tests/net/tls_peer_test.h"
#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Names with several addresses, IPv6 literals and the fall-over from an address that refuses to the next one,
// over real sockets against the harness's Dovecot: the plain one listens on 127.0.0.1 only, the TLS one on ::1 too.
namespace {

// The platform's socket layer, except that a name resolves to the addresses the test lists (each looked up by
// the platform), and that every connect attempt is recorded.
class ListedAddressesIo : public net::SocketIo {
public:
    explicit ListedAddressesIo(std::vector<std::string> literals) : literals(std::move(literals)) {
    }

    std::vector<net::PeerAddress> lookupAddresses(const char*) override {
        std::vector<net::PeerAddress> all;
        for (const std::string& literal : literals) {
            for (const net::PeerAddress& peer : inner.lookupAddresses(literal.c_str())) {
                all.push_back(peer);
            }
        }
        return all;
    }
    int connectTo(net::SocketHandle socket, const net::PeerAddress& peer, int timeoutMs) override {
        int result = inner.connectTo(socket, peer, timeoutMs);
        attempts.push_back(result == 0);
        return result;
    }
    net::WaitResult waitReadable(net::SocketHandle socket, int timeoutMs) override {
        return inner.waitReadable(socket, timeoutMs);
    }

    bool startup() override {
        return inner.startup();
    }
    void cleanup() override {
        inner.cleanup();
    }
    net::SocketHandle openSocket(int family, int type, int protocol) override {
        ++socketsOpened;
        return inner.openSocket(family, type, protocol);
    }
    int receive(net::SocketHandle socket, char* buffer, int size, int flags) override {
        return inner.receive(socket, buffer, size, flags);
    }
    int send(net::SocketHandle socket, const char* data, int length, int flags) override {
        return inner.send(socket, data, length, flags);
    }
    int close(net::SocketHandle socket) override {
        return inner.close(socket);
    }
    bool interrupt(net::SocketHandle socket) override {
        return inner.interrupt(socket);
    }
    bool lookupHost(const char* name, std::uint32_t& address) override {
        return inner.lookupHost(name, address);
    }
    std::uint32_t parseDottedAddress(const char* text) override {
        return inner.parseDottedAddress(text);
    }

    std::vector<bool> attempts;  // each connect, in order: whether it was accepted
    int socketsOpened = 0;

private:
    net::SocketIo& inner = net::platformSocketIo();
    std::vector<std::string> literals;
};

class AddressTest : public nettest::TlsPeerTest {};

TEST_F(AddressTest, AnIpv6LiteralLogsIn) {
    net::Pop3Session session{net::kAfInet};
    ASSERT_TRUE(session.create(net::kSockStream, 0));
    const char* greeting = session.open("::1", tls.stlsPort);
    ASSERT_NE(greeting, nullptr);
    EXPECT_EQ(std::string(greeting).substr(0, 3), "+OK");
    EXPECT_TRUE(session.sendUser(peer.user));
    EXPECT_TRUE(session.sendPass(peer.pass));
    EXPECT_TRUE(session.stat().has_value());
    session.command("QUIT");
    session.close();
}

TEST_F(AddressTest, EachAddressIsTriedInTurnUntilOneAccepts) {
    const struct {
        std::vector<std::string> addresses;
        std::vector<bool> attempts;
        int sockets;  // the created IPv4 socket, and one more for each address after it or of another family
    } cases[] = {
        // The plain Dovecot does not listen on ::1: that try is refused and the IPv4 address is next.
        {{"::1", "127.0.0.1"}, {false, true}, 3},
        {{"127.0.0.1", "::1"}, {true}, 1},
        {{"::1", "::1", "127.0.0.1"}, {false, false, true}, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.addresses.front() + " first, " + std::to_string(c.addresses.size()) + " addresses");
        ListedAddressesIo io(c.addresses);
        net::Pop3Session session{net::kAfInet, io};
        ASSERT_TRUE(session.create(net::kSockStream, 0));
        const char* greeting = session.open("mail.example", peer.port);
        ASSERT_NE(greeting, nullptr);
        EXPECT_EQ(std::string(greeting).substr(0, 3), "+OK");
        EXPECT_EQ(io.attempts, c.attempts);
        EXPECT_EQ(io.socketsOpened, c.sockets) << "a new socket for each further try";
        EXPECT_TRUE(session.sendUser(peer.user));
        session.command("QUIT");
        session.close();
    }
}

TEST_F(AddressTest, WhenNoAddressAcceptsTheOpenFails) {
    ListedAddressesIo io({"::1", "::1"});
    net::Pop3Session session{net::kAfInet, io};
    ASSERT_TRUE(session.create(net::kSockStream, 0));
    EXPECT_EQ(session.open("mail.example", peer.port), nullptr);
    EXPECT_EQ(io.attempts, (std::vector<bool>{false, false}));
    std::string line;
    EXPECT_FALSE(session.readLine(line)) << "no connection to read from";
    ListedAddressesIo none({});
    net::Pop3Session nowhere{net::kAfInet, none};
    ASSERT_TRUE(nowhere.create(net::kSockStream, 0));
    EXPECT_EQ(nowhere.open("mail.example", peer.port), nullptr);
    EXPECT_TRUE(none.attempts.empty());
}

}  // namespace
