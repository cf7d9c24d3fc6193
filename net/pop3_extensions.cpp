// The parts of the POP3 session that go beyond one command and one reply line: the CAPA exchange, and the
// sending of several commands at once with their replies read afterwards (PIPELINING).
#include "net/pop3_session.h"

#include "net/multi_line_reply.h"

#include <cstring>
#include <new>
#include <utility>

namespace net {

namespace {

constexpr int kMaxLine = 1023;
const char kFailed[] = "-";

}  // namespace

std::optional<Capabilities> Pop3Session::capabilities() {
    if (capabilitiesUnderTlsKnown) {
        // Asked right after the STLS handshake already: one CAPA under TLS is enough.
        capabilitiesUnderTlsKnown = false;
        return std::exchange(capabilitiesUnderTls, std::nullopt);
    }
    return askCapabilities();
}

std::optional<Capabilities> Pop3Session::askCapabilities() {
    if (command("CAPA")[0] != '+') {
        return std::nullopt;
    }
    std::optional<Capabilities> listed;
    try {
        listed = readCapabilities([this](std::string& line) { return readLine(line); });
    } catch (const std::bad_alloc&) {
        listed.reset();
    }
    if (!listed) {
        close();  // a reply cut short, too long or too large for memory has lines left unread
    }
    return listed;
}

std::optional<std::vector<std::string>> Pop3Session::readMultiLine(std::size_t maxLines) {
    std::optional<std::vector<std::string>> lines =
        readMultiLineReply([this](std::string& line) { return readLine(line); }, maxLines);
    if (!lines) {
        close();
    }
    return lines;
}

bool Pop3Session::sendCommands(const std::string& text) {
    const char* data = text.data();
    std::size_t remaining = text.size();
    while (remaining > 0) {
        const int chunk = remaining > 65536 ? 65536 : static_cast<int>(remaining);
        const int sent = sendBytes(data, chunk, 0);
        if (sent <= 0) {
            close();
            return false;
        }
        data += sent;
        remaining -= static_cast<std::size_t>(sent);
    }
    return true;
}

const char* Pop3Session::readReply() {
    if (!readLine(reply, kMaxLine)) {
        return kFailed;
    }
    return reply;
}

}  // namespace net
