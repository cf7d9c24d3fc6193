#include "net/pop3_session.h"

#include "tests/support/mailbox.h"
#include "tests/support/oauth_tokens.h"
#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

// Logins and STAT against the real Dovecot that the test environment runs.
namespace {

std::uint32_t loopbackAddress() {
    const unsigned char bytes[4] = {127, 0, 0, 1};  // network byte order, as it lies in memory
    std::uint32_t address;
    std::memcpy(&address, bytes, sizeof address);
    return address;
}

class DovecotTest : public ::testing::Test {
protected:
    void SetUp() override {
        bool ok = false;
        peer = testenv::pop3Peer(&ok);
        if (!ok) {
            GTEST_FAIL() << "these tests need the test environment's Dovecot";
        }
        ASSERT_TRUE(session.create(net::kSockStream, 0));
        const char* opened = session.open(peer.host.c_str(), peer.port);
        ASSERT_NE(opened, nullptr);
        greeting = opened;
    }
    void TearDown() override {
        session.command("QUIT");  // fails at once on a session already closed
        session.close();
    }

    testenv::Pop3Peer peer;
    net::Pop3Session session{net::kAfInet};
    std::string greeting;
};

TEST_F(DovecotTest, UserAndPassLogin) {
    EXPECT_EQ(greeting.substr(0, 3), "+OK");
    EXPECT_TRUE(session.sendUser(peer.user));
    EXPECT_TRUE(session.sendPass(peer.pass));
}

TEST_F(DovecotTest, ApopLogin) {
    EXPECT_NE(greeting.find('<'), std::string::npos) << greeting;
    EXPECT_EQ(session.apop(peer.user, peer.pass), net::ApopResult::LoggedIn);
    EXPECT_TRUE(session.stat().has_value());
}

TEST_F(DovecotTest, StatGivesTheMaildirsCountAndSize) {
    testenv::Mailbox mailbox(peer);
    std::vector<std::string> before = mailbox.messages();
    mailbox.append("Subject: one more\r\n\r\nbody\r\n");
    std::vector<std::string> now = mailbox.messages();
    int size = 0;
    for (const std::string& message : now) {
        size += static_cast<int>(message.size());
    }

    ASSERT_TRUE(session.sendUser(peer.user));
    ASSERT_TRUE(session.sendPass(peer.pass));
    std::optional<net::StatResult> result = session.stat();
    mailbox.reset(before);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->count, static_cast<int>(before.size()) + 1);
    EXPECT_EQ(result->size, size);
}

// Last, because Dovecot delays the next login from this address after a failed one.
TEST_F(DovecotTest, WrongPasswordFails) {
    EXPECT_TRUE(session.sendUser(peer.user));
    EXPECT_FALSE(session.sendPass(peer.pass + "-wrong"));

    // A good login ends the delay, so that later tests do not inherit it.
    net::Pop3Session again(net::kAfInet);
    ASSERT_TRUE(again.create(net::kSockStream, 0));
    ASSERT_NE(again.open(peer.host.c_str(), peer.port), nullptr);
    EXPECT_TRUE(again.sendUser(peer.user));
    EXPECT_TRUE(again.sendPass(peer.pass));
    again.command("QUIT");
}

TEST(ResolveHost, DottedAddressesAndLocalhost) {
    net::LineSocket socketLibraryUser(net::kAfInet);  // name lookups need the socket library started
    EXPECT_EQ(net::resolveHost("127.0.0.1"), loopbackAddress());
    EXPECT_EQ(net::resolveHost("localhost"), loopbackAddress());
    const unsigned char bytes[4] = {10, 1, 2, 3};
    std::uint32_t unknown;
    std::memcpy(&unknown, bytes, sizeof unknown);
    EXPECT_EQ(net::resolveHost("10.1.2.3"), unknown) << "an address no name service knows";
}

}  // namespace

namespace {

// Every SASL mechanism against Dovecot: the right secret logs in (and STAT works after it), a wrong one is
// refused. The OAuth mechanisms use a token from the fake authorization server, which Dovecot asks about it.
TEST(DovecotSasl, EachMechanismLogsInWithTheRightSecretOnly) {
    bool ok = false;
    const testenv::Pop3Peer peer = testenv::pop3Peer(&ok);
    ASSERT_TRUE(ok);
    const testenv::IssuedTokens tokens = testenv::signInAtFakeServer();
    ASSERT_FALSE(tokens.access.empty());
    for (const net::SaslMechanism mechanism :
         {net::SaslMechanism::Plain, net::SaslMechanism::Login, net::SaslMechanism::CramMd5,
          net::SaslMechanism::ScramSha256, net::SaslMechanism::XOAuth2, net::SaslMechanism::OAuthBearer}) {
        const bool withToken = mechanism == net::SaslMechanism::XOAuth2 || mechanism == net::SaslMechanism::OAuthBearer;
        for (const bool right : {true, false}) {
            SCOPED_TRACE(std::string(net::saslName(mechanism)) + (right ? " right" : " wrong"));
            const std::string secret = right ? (withToken ? tokens.access : peer.pass) : "wrong-secret";
            const net::SaslResult expected = right ? net::SaslResult::LoggedIn : net::SaslResult::Refused;
            net::Pop3Session session{net::kAfInet};
            ASSERT_TRUE(session.create(net::kSockStream, 0));
            ASSERT_NE(session.open(peer.host.c_str(), peer.port), nullptr);
            const auto capabilities = session.capabilities();
            ASSERT_TRUE(capabilities);
            bool listed = false;
            for (const std::string& name : capabilities->arguments("SASL")) {
                listed = listed || net::saslMechanismNamed(name) == mechanism;
            }
            EXPECT_TRUE(listed);
            net::SaslExchange exchange(mechanism, {peer.user, secret, peer.host, peer.port},
                                       "fyko+d2lbbFgONRv9qkxdawL");
            EXPECT_EQ(session.authenticate(exchange), expected);
            if (expected == net::SaslResult::LoggedIn) {
                EXPECT_TRUE(session.stat().has_value());
            }
            session.command("QUIT");
        }
    }
}

}  // namespace
