#include <gtest/gtest.h>

#include <string>

#include "base/wipe.h"
#include "net/apop_digest.h"
#include "net/pop3_session.h"
#include "tests/support/freed_block_probe.h"
#include "tests/support/scripted_socket_io.h"
#include "tests/support/throwaway_secret.h"

// What a login leaves in the memory it gives back: no block let go may still hold the password. Lengths around
// the points where a text leaves its inline buffer or grows (15, 16, 24 and 37 characters among them).
namespace {

using testenv::FreedBlockProbe;

const auto& kLengths = testenv::kSecretLengths;

std::string password(std::size_t length) {
    return testenv::throwawaySecret(length);
}

struct ScriptedSession {
    explicit ScriptedSession(std::initializer_list<std::string> chunks) {
        io.setChunks(chunks);
        io.hosts["mail.example"] = 0x0A00000A;
        // The record of the sent bytes is the test's own copy: it must not grow while the probe watches.
        io.sent.reserve(4096);
        EXPECT_TRUE(session.create(net::kSockStream, 0));
        EXPECT_NE(session.open("mail.example", 110), nullptr);
    }
    testenv::ScriptedSocketIo io;
    net::Pop3Session session{net::kAfInet, io};
};

TEST(FreedBlockProbe, FindsAPasswordLeftInAFreedBlock) {
    const std::string secret = password(40);
    FreedBlockProbe probe(secret);
    { std::string copy = secret; }
    {
        std::string wiped = secret;
        base::wipeString(wiped);
    }
    EXPECT_EQ(probe.blocksFreed(), 2);
    EXPECT_EQ(probe.blocksHoldingSecret(), 1);
}

TEST(SecretMemory, UserAndPassLeaveNoFreedBlockWithThePassword) {
    for (std::size_t length : kLengths) {
        SCOPED_TRACE(length);
        const std::string secret = password(length);
        for (const char* answer : {"+OK\r\n", "-ERR no\r\n"}) {
            ScriptedSession s{"+OK ready\r\n", "+OK\r\n", answer};
            FreedBlockProbe probe(secret);
            ASSERT_TRUE(s.session.sendUser("neko"));
            s.session.sendPass(secret);
            EXPECT_EQ(probe.blocksHoldingSecret(), 0) << answer;
            EXPECT_EQ(s.io.sent, "USER neko\r\nPASS " + secret + "\r\n");
        }
    }
}

TEST(SecretMemory, ApopLeavesNoFreedBlockWithThePassword) {
    for (std::size_t length : kLengths) {
        SCOPED_TRACE(length);
        const std::string secret = password(length);
        ScriptedSession s{"+OK <1896.697170952@dbc.mtview.ca.us>\r\n", "+OK\r\n"};
        FreedBlockProbe probe(secret);
        EXPECT_EQ(s.session.apop("neko", secret), net::ApopResult::LoggedIn);
        EXPECT_EQ(probe.blocksHoldingSecret(), 0);
        EXPECT_GT(probe.blocksFreed(), 0) << "the probe watched the login";
    }
}

// The digest's input is the timestamp and the password in one block: long timestamps make it grow if it is
// not reserved up front.
TEST(SecretMemory, TheApopDigestInputIsWipedWhateverItsLength) {
    for (std::size_t stamp : {10u, 15u, 30u, 200u}) {
        const std::string timestamp = "<" + std::string(stamp, '1') + "@host>";
        for (std::size_t length : kLengths) {
            const std::string secret = password(length);
            FreedBlockProbe probe(secret);
            const std::string digest = net::apopDigest(timestamp, secret);
            EXPECT_EQ(probe.blocksHoldingSecret(), 0) << stamp << " " << length;
            EXPECT_EQ(digest.size(), 32u);
        }
    }
}

}  // namespace
