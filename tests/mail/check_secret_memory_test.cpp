#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "mail/check_result.h"
#include "tests/mail/check_harness.h"
#include "tests/support/freed_block_probe.h"
#include "tests/support/scripted_socket_io.h"

// The check's own copies of the password (the one prepared for it, the one it runs with) are wiped however the
// check ends: logged in, refused, or stopped by the owner while the password is still held, when the worker's
// stop unwinds the run. The server is played by a script on the worker's thread, so every block the program
// gives back during the check is the check's own.
namespace {

using checktest::CheckWorker;
using checktest::RecordingHost;
using testenv::FreedBlockProbe;

std::string password(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += static_cast<char>('m' + (i * 5 + length) % 11);
    }
    return text;
}

struct Case {
    const char* name;
    bool apop;
    int stopAtPoll;  // 0: no stop
    const char* passReply;
    const char* result;  // the result posted, or "" when the stop ended the check without one
};

TEST(CheckSecretMemory, NoBlockGivenBackHoldsThePasswordHoweverTheCheckEnds) {
    // Stop polls before the password goes: after the socket is made (1), after the connection (2), and between
    // USER and PASS (3).
    const Case cases[] = {
        {"logged in", false, 0, "+OK\r\n", "no mail"},
        {"refused", false, 0, "-ERR no\r\n", "failed 4"},
        {"APOP logged in", true, 0, "+OK\r\n", "no mail"},
        {"stopped after the socket", false, 1, "+OK\r\n", ""},
        {"stopped after the connection", false, 2, "+OK\r\n", ""},
        {"stopped between USER and PASS", false, 3, "+OK\r\n", ""},
        {"APOP stopped after the connection", true, 2, "+OK\r\n", ""},
    };
    for (std::size_t length : {16u, 24u, 37u, 100u}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(length) + " characters");
            testenv::ScriptedSocketIo io;
            io.hosts["mail.example"] = 0x0A00000A;
            // Greeting, CAPA refused, USER (not with APOP), PASS or APOP, STAT, QUIT.
            io.setChunks(
                {"+OK ready <1.2@mail.example>\r\n", "-ERR\r\n", "+OK\r\n", c.passReply, "+OK 0 0\r\n", "+OK\r\n"});
            if (c.apop) {
                io.chunks.erase(io.chunks.begin() + 2);
            }
            io.sent.reserve(4096);  // the script's record of what was sent is the test's copy
            net::Pop3Session session(net::kAfInet, io);
            settings::Settings settings;
            settings.server = "mail.example";
            settings.user = "neko";
            settings.apop = c.apop;
            settings.pass = password(length);
            RecordingHost host;
            CheckWorker worker(session, settings, host);
            worker.stopAtPoll = c.stopAtPoll;
            {
                FreedBlockProbe probe(settings.pass);
                checktest::runCheck(worker);
                EXPECT_EQ(probe.blocksHoldingSecret(), 0);
                EXPECT_GT(probe.blocksFreed(), 0);
            }
            const auto calls = host.callsWithoutPolls();
            bool posted = false;
            for (const std::string& call : calls) {
                posted = posted || checktest::isResult(call);
            }
            if (*c.result == '\0') {
                EXPECT_FALSE(posted) << "the stop ended the check";
            } else {
                EXPECT_NE(std::find(calls.begin(), calls.end(), c.result), calls.end());
            }
        }
    }
}

}  // namespace
