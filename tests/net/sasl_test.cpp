// SASL logins over the scripted socket: each row a mechanism, what the server sends, what the client must send
// and how the login ends. The values are those of the RFCs' examples where they have one.
#include "net/pop3_session.h"

#include "tests/support/scripted_socket_io.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using net::SaslMechanism;
using net::SaslResult;

const std::string kScramNonce = "rOprNGfwEbeRWgbNEkqO";  // RFC 7677's example, with user "user", password "pencil"
const std::string kScramServerFirst =
    "+ cj1yT3ByTkdmd0ViZVJXZ2JORWtxTyVodllEcFdVYTJSYVRDQWZ1eEZJbGopaE5sRiRrMCxzPVcyMlphSjBTTlk3c29Fc1VFamI2Z1E9PSxp"
    "PTQwOTY=\r\n";
const std::string kScramClientFinal =
    "Yz1iaXdzLHI9ck9wck5HZndFYmVSV2diTkVrcU8laHZZRHBXVWEyUmFUQ0FmdXhGSWxqKWhObEYkazAscD1kSHpiWmFwV0lrNGpVaE4rVXRl"
    "OXl0YWc5empmTUhnc3FtbWl6N0FuZFZRPQ==\r\n";

struct Row {
    const char* what;
    SaslMechanism mechanism;
    std::string user, secret;
    std::vector<std::string> server;  // after the greeting
    std::string sent;                 // everything the client sends
    SaslResult result;
};

const Row kRows[] = {
    {"PLAIN on the AUTH line",
     SaslMechanism::Plain,
     "neko",
     "throwaway",
     {"+OK\r\n"},
     "AUTH PLAIN AG5la28AdGhyb3dhd2F5\r\n",
     SaslResult::LoggedIn},
    {"PLAIN too long for the AUTH line goes after an empty challenge",
     SaslMechanism::Plain,
     std::string(200, 'u'),
     "throwaway",
     {"+ \r\n", "+OK\r\n"},
     "AUTH "
     "PLAIN\r\nAHV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1"
     "dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1"
     "dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1AHRocm93YXdheQ==\r\n",
     SaslResult::LoggedIn},
    {"a bare + is an empty challenge",
     SaslMechanism::Login,
     "neko",
     "throwaway",
     {"+\r\n", "+\r\n", "+OK\r\n"},
     "AUTH LOGIN\r\nbmVrbw==\r\ndGhyb3dhd2F5\r\n",
     SaslResult::LoggedIn},
    {"LOGIN answers the prompts in order",
     SaslMechanism::Login,
     "neko",
     "throwaway",
     {"+ VXNlcm5hbWU6\r\n", "+ UGFzc3dvcmQ6\r\n", "+OK\r\n"},
     "AUTH LOGIN\r\nbmVrbw==\r\ndGhyb3dhd2F5\r\n",
     SaslResult::LoggedIn},
    {"CRAM-MD5 (RFC 2195)",
     SaslMechanism::CramMd5,
     "tim",
     "tanstaaftanstaaf",
     {"+ PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+\r\n", "+OK\r\n"},
     "AUTH CRAM-MD5\r\ndGltIGI5MTNhNjAyYzdlZGE3YTQ5NWI0ZTZlNzMzNGQzODkw\r\n",
     SaslResult::LoggedIn},
    {"CRAM-MD5 without a challenge is cancelled",
     SaslMechanism::CramMd5,
     "tim",
     "throwaway",
     {"+ \r\n", "-ERR cancelled\r\n"},
     "AUTH CRAM-MD5\r\n*\r\n",
     SaslResult::Refused},
    {"SCRAM-SHA-256 (RFC 7677), the server proven",
     SaslMechanism::ScramSha256,
     "user",
     "pencil",
     {kScramServerFirst, "+ dj02cnJpVFJCaTIzV3BSUi93dHVwK21NaFVaVW4vZEI1bkxUSlJzamw5NUc0PQ==\r\n", "+OK\r\n"},
     "AUTH SCRAM-SHA-256 biwsbj11c2VyLHI9ck9wck5HZndFYmVSV2diTkVrcU8=\r\n" + kScramClientFinal + "\r\n",
     SaslResult::LoggedIn},
    {"SCRAM with a wrong server signature is cancelled",
     SaslMechanism::ScramSha256,
     "user",
     "pencil",
     {kScramServerFirst, "+ dj1BQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQQ==\r\n", "-ERR\r\n"},
     "AUTH SCRAM-SHA-256 biwsbj11c2VyLHI9ck9wck5HZndFYmVSV2diTkVrcU8=\r\n" + kScramClientFinal + "*\r\n",
     SaslResult::Refused},
    {"SCRAM let in without the server's proof is refused",
     SaslMechanism::ScramSha256,
     "user",
     "pencil",
     {kScramServerFirst, "+OK\r\n"},
     "AUTH SCRAM-SHA-256 biwsbj11c2VyLHI9ck9wck5HZndFYmVSV2diTkVrcU8=\r\n" + kScramClientFinal,
     SaslResult::Refused},
    {"SCRAM nonce that does not extend ours",
     SaslMechanism::ScramSha256,
     "user",
     "pencil",
     {"+ cj1vdGhlci1ub25jZSxzPVcyMlphSjBTTlk3c29Fc1VFamI2Z1E9PSxpPTQwOTY=\r\n", "-ERR\r\n"},
     "AUTH SCRAM-SHA-256 biwsbj11c2VyLHI9ck9wck5HZndFYmVSV2diTkVrcU8=\r\n*\r\n",
     SaslResult::Refused},
    {"SCRAM with zero iterations",
     SaslMechanism::ScramSha256,
     "user",
     "pencil",
     {"+ cj1yT3ByTkdmd0ViZVJXZ2JORWtxT2FiYyxzPVcyMlphSjBTTlk3c29Fc1VFamI2Z1E9PSxpPTA=\r\n", "-ERR\r\n"},
     "AUTH SCRAM-SHA-256 biwsbj11c2VyLHI9ck9wck5HZndFYmVSV2diTkVrcU8=\r\n*\r\n",
     SaslResult::Refused},
    {"SCRAM server error e=",
     SaslMechanism::ScramSha256,
     "user",
     "pencil",
     {kScramServerFirst, "+ ZT1pbnZhbGlkLXByb29m\r\n", "-ERR\r\n"},
     "AUTH SCRAM-SHA-256 biwsbj11c2VyLHI9ck9wck5HZndFYmVSV2diTkVrcU8=\r\n" + kScramClientFinal + "*\r\n",
     SaslResult::Refused},
    {"XOAUTH2 accepted",
     SaslMechanism::XOAuth2,
     "neko@example.jp",
     "tok",
     {"+OK\r\n"},
     "AUTH XOAUTH2 dXNlcj1uZWtvQGV4YW1wbGUuanABYXV0aD1CZWFyZXIgdG9rAQE=\r\n",
     SaslResult::LoggedIn},
    {"XOAUTH2 error challenge answered with an empty line",
     SaslMechanism::XOAuth2,
     "neko@example.jp",
     "tok",
     {"+ eyJzdGF0dXMiOiI0MDEifQ==\r\n", "-ERR\r\n"},
     "AUTH XOAUTH2 dXNlcj1uZWtvQGV4YW1wbGUuanABYXV0aD1CZWFyZXIgdG9rAQE=\r\n\r\n",
     SaslResult::Refused},
    {"OAUTHBEARER error challenge answered with 0x01",
     SaslMechanism::OAuthBearer,
     "neko@example.jp",
     "tok",
     {"+ eyJzdGF0dXMiOiI0MDEifQ==\r\n", "-ERR\r\n"},
     "AUTH OAUTHBEARER "
     "bixhPW5la29AZXhhbXBsZS5qcCwBaG9zdD1wb3AuZXhhbXBsZS5qcAFwb3J0PTk5NQFhdXRoPUJlYXJlciB0b2sBAQ==\r\nAQ==\r\n",
     SaslResult::Refused},
    {"a challenge that is not Base64 is cancelled",
     SaslMechanism::Login,
     "neko",
     "throwaway",
     {"+ !!!!\r\n", "-ERR\r\n"},
     "AUTH LOGIN\r\n*\r\n",
     SaslResult::Refused},
    {"a challenge too long is cancelled",
     SaslMechanism::Login,
     "neko",
     "throwaway",
     {"+ " + std::string(2000, 'A') + "\r\n"},
     "AUTH LOGIN\r\n",
     SaslResult::Broken},
    {"-ERR to AUTH",
     SaslMechanism::CramMd5,
     "tim",
     "throwaway",
     {"-ERR unknown\r\n"},
     "AUTH CRAM-MD5\r\n",
     SaslResult::Refused},
    {"the server hangs up",
     SaslMechanism::Login,
     "neko",
     "throwaway",
     {"+ VXNlcm5hbWU6\r\n"},
     "AUTH LOGIN\r\nbmVrbw==\r\n",
     SaslResult::Broken},
    {"a reply out of the protocol",
     SaslMechanism::Login,
     "neko",
     "throwaway",
     {"hello\r\n"},
     "AUTH LOGIN\r\n",
     SaslResult::Broken},
    {"a challenge after LOGIN's two answers is cancelled",
     SaslMechanism::Login,
     "neko",
     "throwaway",
     {"+\r\n", "+\r\n", "+\r\n", "-ERR\r\n"},
     "AUTH LOGIN\r\nbmVrbw==\r\ndGhyb3dhd2F5\r\n*\r\n",
     SaslResult::Refused},
};

TEST(SaslLogin, EachMechanismSpeaksItsExchange) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        testenv::ScriptedSocketIo io;
        io.chunks.push_back("+OK ready\r\n");
        io.chunks.insert(io.chunks.end(), row.server.begin(), row.server.end());
        io.hosts["pop.example.jp"] = 0x0A00000A;
        net::Pop3Session session{net::kAfInet, io};
        ASSERT_TRUE(session.create(net::kSockStream, 0));
        ASSERT_NE(session.open("pop.example.jp", 995), nullptr);
        net::SaslExchange exchange(row.mechanism, {row.user, row.secret, "pop.example.jp", 995}, kScramNonce);
        EXPECT_EQ(session.authenticate(exchange), row.result);
        EXPECT_EQ(io.sent, row.sent);
    }
}

TEST(SaslLogin, MechanismNamesReadInAnyCase) {
    for (SaslMechanism m : {SaslMechanism::Plain, SaslMechanism::Login, SaslMechanism::CramMd5,
                            SaslMechanism::ScramSha256, SaslMechanism::XOAuth2, SaslMechanism::OAuthBearer}) {
        std::string lower = net::saslName(m);
        for (char& c : lower) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        EXPECT_EQ(net::saslMechanismNamed(lower), m) << lower;
    }
    EXPECT_EQ(net::saslMechanismNamed("GSSAPI"), std::nullopt);
    EXPECT_EQ(net::saslMechanismNamed("SCRAM-SHA-1"), std::nullopt);
}

}  // namespace
