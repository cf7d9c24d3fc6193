#include "net/pop3_session.h"

#include "tests/support/scripted_socket_io.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testenv::ScriptedSocketIo;

// A session over the scripted io, opened to "mail.example" so that the first chunks give the greeting.
struct ScriptedSession {
    explicit ScriptedSession(std::initializer_list<std::string> chunks) {
        io.setChunks(chunks);
        io.hosts["mail.example"] = 0x0A00000A;
    }
    const char* open() {
        EXPECT_TRUE(session.create(net::kSockStream, 0));
        return session.open("mail.example", 110);
    }
    ScriptedSocketIo io;
    net::Pop3Session session{net::kAfInet, io};
};

TEST(Pop3Open, ReturnsTheGreetingWhateverItSays) {
    for (const char* greeting : {"+OK ready", "-ERR busy"}) {
        ScriptedSession s{std::string(greeting) + "\r\n"};
        const char* result = s.open();
        ASSERT_NE(result, nullptr);
        EXPECT_STREQ(result, greeting);
        EXPECT_EQ(s.io.lastPeer.address, 0x0A00000Au);
        EXPECT_EQ(s.io.lastPeer.port, 110);
    }
}

TEST(Pop3Open, FailsWhenTheConnectionFails) {
    ScriptedSession s{"+OK ready\r\n"};
    s.io.connectFails = true;
    EXPECT_EQ(s.open(), nullptr);
}

TEST(Pop3Open, GreetingCutOffStillOpensButTheNextCommandFails) {
    ScriptedSession s{"+OK rea"};
    ASSERT_NE(s.open(), nullptr);
    EXPECT_STREQ(s.session.command("STAT"), "-");
    EXPECT_EQ(s.io.sent, "") << "the socket was closed when the greeting broke off";
}

TEST(Pop3Command, SendsTheLineAndReturnsTheReply) {
    ScriptedSession s{"+OK ready\r\n", "+OK 2 300\r\n"};
    s.open();
    EXPECT_STREQ(s.session.command("NOOP"), "+OK 2 300");
    EXPECT_EQ(s.io.sent, "NOOP\r\n");
}

TEST(Pop3Command, AReplyLongerThan1023CharactersKeepsItsStartAndTheNextReplyStaysInStep) {
    ScriptedSession s{"+OK ready\r\n", "+OK " + std::string(1019, 'x'), "tail\r\n", "-ERR no\r\n"};
    s.open();
    EXPECT_EQ(std::string(s.session.command("USER neko")), "+OK " + std::string(1019, 'x'));
    EXPECT_STREQ(s.session.command("PASS secret"), "-ERR no");
}

TEST(Pop3Command, FailedSendGivesAFailure) {
    ScriptedSession s{"+OK ready\r\n", "+OK\r\n"};
    s.io.failingSend = 1;
    s.open();
    EXPECT_STREQ(s.session.command("NOOP"), "-");
}

TEST(Pop3Login, UserAndPassSucceedUnlessTheReplyBeginsWithMinus) {
    ScriptedSession s{"+OK ready\r\n", "+OK\r\n", "-ERR no\r\n"};
    s.open();
    EXPECT_TRUE(s.session.sendUser("neko"));
    EXPECT_FALSE(s.session.sendPass("wrong"));
    EXPECT_EQ(s.io.sent, "USER neko\r\nPASS wrong\r\n");
}

TEST(Pop3Login, NamesTooLongForACommandLineAreRefusedUnsent) {
    ScriptedSession s{"+OK ready\r\n", "+OK\r\n", "+OK\r\n"};
    s.open();
    std::string longest(1018, 'n');  // "USER " + 1018 = 1023 bytes, the most that fits
    EXPECT_FALSE(s.session.sendUser(longest + "n"));
    EXPECT_FALSE(s.session.sendPass(longest + "p"));
    EXPECT_EQ(s.io.sendCalls, 0);
    EXPECT_TRUE(s.session.sendUser(longest));
    EXPECT_EQ(s.io.sent, "USER " + longest + "\r\n");
    EXPECT_EQ(s.io.closeCalls, 0);
}

TEST(Pop3Login, ValuesThatWouldEndTheCommandLineAreRefusedUnsent) {
    const std::string zero(1, '\0');
    for (const std::string& value :
         {std::string("secret\r\nDELE 1\r\nQUIT"), std::string("a\nb"), std::string("a\rb"), "a" + zero + "DELE 1"}) {
        ScriptedSession s{"+OK ready\r\n", "+OK\r\n", "+OK\r\n"};
        s.open();
        EXPECT_FALSE(s.session.sendUser(value));
        EXPECT_FALSE(s.session.sendPass(value));
        EXPECT_EQ(s.session.apop(value, "secret"), net::ApopResult::NoTimestamp)
            << "no timestamp in this greeting comes first";
        EXPECT_EQ(s.io.sendCalls, 0);
    }
    ScriptedSession s{"+OK <1.2@host>\r\n", "+OK\r\n"};
    s.open();
    EXPECT_EQ(s.session.apop("neko\r\nDELE 1", "secret"), net::ApopResult::Refused);
    EXPECT_EQ(s.io.sendCalls, 0);
}

TEST(Pop3Login, TheReplyBufferIsWipedAfterTheLogin) {
    const std::string wiped(1024, '\0');
    {
        // The server answers USER, then goes: no reply to PASS overwrites the command formatted in the buffer.
        ScriptedSession s{"+OK ready\r\n", "+OK\r\n"};
        const char* reply = s.open();
        ASSERT_NE(reply, nullptr);
        ASSERT_TRUE(s.session.sendUser("neko"));
        EXPECT_FALSE(s.session.sendPass("tanstaaf"));
        EXPECT_EQ(s.io.sent, "USER neko\r\nPASS tanstaaf\r\n");
        EXPECT_EQ(std::string(reply, 1024), wiped);
    }
    for (const char* answer : {"+OK\r\n", "-ERR\r\n"}) {
        ScriptedSession s{"+OK <1.2@host>\r\n", answer};
        const char* reply = s.open();
        ASSERT_NE(reply, nullptr);
        s.session.apop("neko", "tanstaaf");
        EXPECT_EQ(std::string(reply, 1024), wiped) << answer;
    }
}

TEST(Pop3Stat, ParsesCountAndSize) {
    const struct {
        const char* reply;
        bool ok;
        int count;
        int size;
    } cases[] = {
        {"+OK 3 1200", true, 3, 1200},
        {"+OK 0 0", true, 0, 0},
        {"+OK 3 1200 messages waiting", true, 3, 1200},
        {"+OK  3 1200", true, 0, 3},  // a doubled blank empties the count field
        {"+OK 3x 12y", true, 3, 12},
        {"+OK 99999999999 5", true, 2147483647, 5},  // beyond the int range: its largest value
        {"+OK 3", false, 0, 0},
        {"+OK", false, 0, 0},
        {"-ERR 3 1200", false, 0, 0},
        {"-", false, 0, 0},
    };
    for (const auto& c : cases) {
        ScriptedSession s{"+OK ready\r\n", std::string(c.reply) + "\r\n"};
        s.open();
        std::optional<net::StatResult> result = s.session.stat();
        EXPECT_EQ(s.io.sent, "STAT\r\n");
        ASSERT_EQ(result.has_value(), c.ok) << c.reply;
        if (c.ok) {
            EXPECT_EQ(result->count, c.count) << c.reply;
            EXPECT_EQ(result->size, c.size) << c.reply;
        }
    }
}

TEST(Pop3Apop, SendsTheDigestOfTheGreetingsTimestamp) {
    const struct {
        const char* greeting;
        const char* pass;
        const char* sent;  // "" = nothing sent
        net::ApopResult result;
    } cases[] = {
        {"+OK POP3 server ready <1896.697170952@dbc.mtview.ca.us>", "tanstaaf",
         "APOP mrose c4c9334bac560ecc979e58001b3e22fb\r\n", net::ApopResult::LoggedIn},
        {"+OK <1896.697170952@dbc.mtview.ca.us>", "", "APOP mrose 6d7379174f7df9fb329480e5c47c1f1a\r\n",
         net::ApopResult::LoggedIn},
        {"+OK <@>", "secret", "APOP mrose 1b57ee7926442b6b0a2d7a70138b2259\r\n", net::ApopResult::LoggedIn},
        {"+OK hello <1.2@host.example> <3.4@other>", "secret", "APOP mrose 96020e6b5ee216209904988dc261a357\r\n",
         net::ApopResult::LoggedIn},
        {"+OK <x!#$%&*+-/=?^_`{|}~@y>", "s", "APOP mrose 2324b9534f8795ecc40c89b3a400ad26\r\n",
         net::ApopResult::LoggedIn},
        // Not RFC 1939's shape: no '@', a blank, a control or non-ASCII byte, a second '<' inside.
        {"+OK hello <a>b>", "secret", "", net::ApopResult::NoTimestamp},
        {"+OK <1.2@host name>", "secret", "", net::ApopResult::NoTimestamp},
        {"+OK <1.2@host\x01>", "secret", "", net::ApopResult::NoTimestamp},
        {"+OK <1.2@\xA4\xA2host>", "secret", "", net::ApopResult::NoTimestamp},
        {"+OK <outer <1.2@host>", "secret", "", net::ApopResult::NoTimestamp},
        {"+OK hello > then <", "secret", "", net::ApopResult::NoTimestamp},
        {"+OK hello <unended", "secret", "", net::ApopResult::NoTimestamp},
        {"+OK no timestamp", "secret", "", net::ApopResult::NoTimestamp},
    };
    for (const auto& c : cases) {
        ScriptedSession s{std::string(c.greeting) + "\r\n", "+OK maildrop has 1 message\r\n"};
        s.open();
        EXPECT_EQ(s.session.apop("mrose", c.pass), c.result) << c.greeting;
        EXPECT_EQ(s.io.sent, c.sent) << c.greeting;
    }
}

TEST(Pop3Apop, RefusalOrFailureGivesRefused) {
    ScriptedSession refused{"+OK <1.2@host>\r\n", "-ERR permission denied\r\n"};
    refused.open();
    EXPECT_EQ(refused.session.apop("mrose", "wrong"), net::ApopResult::Refused);

    ScriptedSession broken{"+OK <1.2@host>\r\n"};
    broken.open();
    EXPECT_EQ(broken.session.apop("mrose", "tanstaaf"), net::ApopResult::Refused);
}

}  // namespace
