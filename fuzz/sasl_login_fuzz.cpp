// A SASL login against a server played from the fuzzer's bytes, for each mechanism; and the sign-in's readers of
// the browser's redirect and the token endpoint's answer on the same bytes.
//
// Properties: the password mechanisms that exist not to send the password (CRAM-MD5, SCRAM-SHA-256) never put it
// on the wire in any form; SCRAM never accepts a success the server did not prove; a redirect yields a code only
// with our state; nothing hangs or reads out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/base64.h"
#include "fuzz/fuzz_expect.h"
#include "net/pop3_session.h"
#include "oauth/redirect_request.h"
#include "oauth/token_response.h"
#include "tests/support/scripted_socket_io.h"

namespace {

const std::string kPassword = "fuzz-pass-7f3a";

void login(net::SaslMechanism mechanism, const std::string& bytes) {
    testenv::ScriptedSocketIo io;
    io.chunks.push_back("+OK ready\r\n");
    // The server's bytes in pieces of up to 61, so that lines also break across receives.
    for (std::size_t at = 0; at < bytes.size(); at += 61) {
        io.chunks.push_back(bytes.substr(at, 61));
    }
    io.hosts["pop.example"] = 0x0A00000A;
    net::Pop3Session session{net::kAfInet, io};
    if (!session.create(net::kSockStream, 0) || session.open("pop.example", 110) == nullptr) {
        return;
    }
    net::SaslExchange exchange(mechanism, {"neko", kPassword, "pop.example", 110}, "rOprNGfwEbeRWgbNEkqO");
    const net::SaslResult result = session.authenticate(exchange);
    if (mechanism == net::SaslMechanism::CramMd5 || mechanism == net::SaslMechanism::ScramSha256) {
        FUZZ_EXPECT(io.sent.find(kPassword) == std::string::npos);
        FUZZ_EXPECT(io.sent.find(base::encodeBase64(kPassword).substr(0, 12)) == std::string::npos);
    }
    if (mechanism == net::SaslMechanism::ScramSha256 && result == net::SaslResult::LoggedIn) {
        FUZZ_EXPECT(exchange.successAllowed());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    constexpr net::SaslMechanism kMechanisms[] = {
        net::SaslMechanism::Plain,       net::SaslMechanism::Login,   net::SaslMechanism::CramMd5,
        net::SaslMechanism::ScramSha256, net::SaslMechanism::XOAuth2, net::SaslMechanism::OAuthBearer,
    };
    const unsigned pick = data[0] % 8;
    switch (pick) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
            login(kMechanisms[pick], bytes);
            break;
        case 6: {
            const oauth::Redirect redirect = oauth::readRedirect(bytes, "S1");
            FUZZ_EXPECT(redirect.code.empty() || redirect.outcome == oauth::RedirectOutcome::Code);
            if (redirect.outcome == oauth::RedirectOutcome::Code) {
                FUZZ_EXPECT(bytes.find("state=S1") != std::string::npos);
            }
            break;
        }
        default: {
            const oauth::TokenResponse response = oauth::readTokenResponse(data[0] & 0x80 ? 400 : 200, bytes);
            FUZZ_EXPECT(response.outcome == oauth::TokenOutcome::Issued || response.accessToken.empty());
            break;
        }
    }
    return 0;
}
