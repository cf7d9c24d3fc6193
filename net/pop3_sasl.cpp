#include "base/base64.h"
#include "base/wipe.h"
#include "net/pop3_session.h"

#include <cstring>
#include <new>

// The SASL login of the POP3 session (RFC 5034).
namespace net {

namespace {

constexpr std::size_t kMaxCommandOctets = 255;  // RFC 2449: a command line with its CR LF
constexpr int kMaxRounds = 8;                   // more than any mechanism here needs

}  // namespace

SaslResult Pop3Session::authenticate(SaslExchange& exchange) {
    try {
        std::string line = std::string("AUTH ") + saslName(exchange.mechanism());
        base::WipeOnExit wipeLine(line);
        std::optional<std::string> initial = exchange.initialResponse();
        std::string encodedInitial;
        base::WipeOnExit wipeInitial(encodedInitial);
        if (initial) {
            encodedInitial = initial->empty() ? "=" : base::encodeBase64(*initial);
            base::wipeString(*initial);
            if (line.size() + 1 + encodedInitial.size() + 2 <= kMaxCommandOctets) {
                line += ' ';
                line += encodedInitial;
                base::wipeString(encodedInitial);
                initial.reset();
            }
        }
        if (!sendLine(line.c_str())) {
            return SaslResult::Broken;
        }
        for (int round = 0; round < kMaxRounds; ++round) {
            if (!readLine(reply, kMaxLineChars)) {
                close();
                return SaslResult::Broken;
            }
            if (std::strncmp(reply, "+OK", 3) == 0) {
                if (exchange.successAllowed()) {
                    return SaslResult::LoggedIn;
                }
                // Let in by a server that did not prove it knows the password: not the server asked for.
                close();
                return SaslResult::Refused;
            }
            if (reply[0] == '-') {
                return SaslResult::Refused;
            }
            if (reply[0] != '+' || (reply[1] != '\0' && reply[1] != ' ') ||
                std::strlen(reply) >= static_cast<std::size_t>(kMaxLineChars)) {
                break;
            }
            std::optional<std::string> response;
            if (initial) {
                // The two-line form: the initial response answers the server's first, empty challenge.
                response = encodedInitial.empty() ? std::string("=") : encodedInitial;
                initial.reset();
            } else {
                const std::optional<std::string> challenge = base::decodeBase64(reply[1] == ' ' ? reply + 2 : "");
                response = challenge ? exchange.respond(*challenge) : std::nullopt;
                if (response) {
                    std::string plain = std::move(*response);
                    response = base::encodeBase64(plain);
                    base::wipeString(plain);
                }
            }
            if (!response) {
                // Cancelled: the server answers with -ERR.
                if (!sendLine("*") || !readLine(reply, kMaxLineChars)) {
                    close();
                    return SaslResult::Broken;
                }
                return SaslResult::Refused;
            }
            line = std::move(*response);
            if (!sendLine(line.c_str())) {
                return SaslResult::Broken;
            }
        }
        // Out of the protocol, or a server that never ends the exchange.
        close();
        return SaslResult::Broken;
    } catch (const std::bad_alloc&) {
        close();
        return SaslResult::Broken;
    }
}

}  // namespace net
