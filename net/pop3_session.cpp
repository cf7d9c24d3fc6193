#include "net/pop3_session.h"

#include "base/ascii.h"
#include "base/decimal.h"
#include "base/wipe.h"
#include "net/apop_digest.h"

#include <climits>
#include <cstring>
#include <new>

namespace net {

namespace {

constexpr int kMaxLine = 1023;
const char kFailed[] = "-";

// The number formed by the leading decimal digits of a field, after an optional sign; 0 without digits.
// Values beyond the int range stop at its ends.
int leadingNumber(const char* field) {
    bool negative = *field == '-';
    if (*field == '-' || *field == '+') {
        ++field;
    }
    const long long value = base::readDecimal(field, static_cast<std::uint32_t>(INT_MAX) + 1).value;
    if (negative) {
        return static_cast<int>(-value);
    }
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

// The timestamp of an APOP greeting, RFC 1939's msg-id: from the first '<' to the first '>' after it,
// visible ASCII in between with an '@' among it. Empty when the greeting has none.
std::string apopTimestamp(const char* greeting) {
    const char* open = std::strchr(greeting, '<');
    const char* close = open ? std::strchr(open, '>') : nullptr;
    if (close == nullptr) {
        return {};
    }
    bool hasAt = false;
    for (const char* c = open + 1; c != close; ++c) {
        if (*c < 0x21 || *c > 0x7E || *c == '<') {
            return {};
        }
        hasAt = hasAt || *c == '@';
    }
    return hasAt ? std::string(open, close + 1) : std::string();
}

}  // namespace

Pop3Session::Pop3Session(int family) : LineSocket(family) {
}

Pop3Session::Pop3Session(int family, SocketIo& io) : LineSocket(family, io) {
}

Pop3Session::~Pop3Session() = default;

void Pop3Session::keepGreeting() {
    // APOP needs the greeting's timestamp after other commands (CAPA, STLS) have overwritten the reply buffer.
    std::memcpy(greeting, reply, sizeof greeting);
    capabilitiesUnderTls.reset();
    capabilitiesUnderTlsKnown = false;
}

const char* Pop3Session::open(const char* server, int port) {
    if (!connectHost(server, port)) {
        return nullptr;
    }
    // The greeting is not judged here: even a failed read leaves an open session whose next command fails.
    {
        TotalLimit limit(*this);
        readLine(reply, kMaxLine);
    }
    keepGreeting();
    return reply;
}

const char* Pop3Session::openTls(const char* server, int port, const std::string& trustedFingerprint, TlsResult& tls) {
    if (!connectHost(server, port)) {
        return nullptr;
    }
    reply[0] = '\0';
    {
        // The handshake and the greeting together.
        TotalLimit limit(*this);
        tls = startTls(server, trustedFingerprint);
        if (tls.status == TlsStatus::Ok) {
            readLine(reply, kMaxLine);
        }
    }
    keepGreeting();
    return reply;
}

TlsResult Pop3Session::upgradeWithStls(const char* server, const std::string& trustedFingerprint, bool& offered) {
    TlsResult tls;
    {
        // CAPA, STLS and the handshake together.
        TotalLimit limit(*this);
        std::optional<Capabilities> before = askCapabilities();
        offered = before && before->has("STLS") && command("STLS")[0] == '+';
        if (!offered) {
            close();
            return tls;
        }
        tls = startTls(server, trustedFingerprint);
    }
    if (tls.status == TlsStatus::Ok) {
        // What the server offers under TLS is what counts from here on; the check asks for it next.
        capabilitiesUnderTls = askCapabilities();
        capabilitiesUnderTlsKnown = true;
    }
    return tls;
}

const char* Pop3Session::command(const char* text) {
    if (!sendLine(text) || !readLine(reply, kMaxLine)) {
        return kFailed;
    }
    return reply;
}

bool Pop3Session::sendFormatted(const char* keyword, const std::string& value) {
    // The command is formatted in the reply buffer; a value that does not fit, or that would end the line
    // and smuggle in commands of its own, is refused unsent.
    std::size_t keywordLength = std::strlen(keyword);
    if (keywordLength + 1 + value.size() > static_cast<std::size_t>(kMaxLine) || !base::fitsOneLine(value)) {
        return false;
    }
    std::memcpy(reply, keyword, keywordLength);
    reply[keywordLength] = ' ';
    std::memcpy(reply + keywordLength + 1, value.data(), value.size());
    reply[keywordLength + 1 + value.size()] = '\0';
    return command(reply)[0] != '-';
}

bool Pop3Session::sendUser(const std::string& user) {
    return sendFormatted("USER", user);
}

bool Pop3Session::sendPass(const std::string& pass) {
    bool accepted = sendFormatted("PASS", pass);
    // The buffer held "PASS password" until the reply overwrote it; a reply that failed may not have.
    base::wipeBytes(reply, sizeof reply);
    return accepted;
}

LoginSend Pop3Session::sendUserAndPass(const std::string& user, const std::string& pass) {
    // Each line must fit the server's line as a command of its own would.
    if (user.size() + 5 > static_cast<std::size_t>(kMaxLine) || !base::fitsOneLine(user)) {
        return LoginSend::UserUnfit;
    }
    if (pass.size() + 5 > static_cast<std::size_t>(kMaxLine) || !base::fitsOneLine(pass)) {
        return LoginSend::PassUnfit;
    }
    // Reserved at its final size: growing it would give back a block that still holds the password.
    std::string lines;
    try {
        lines.reserve(user.size() + pass.size() + 14);
    } catch (const std::bad_alloc&) {
        return LoginSend::Failed;
    }
    lines += "USER ";
    lines += user;
    lines += "\r\nPASS ";
    lines += pass;
    lines += "\r\n";
    const bool sent = sendCommands(lines);
    base::wipeString(lines);
    return sent ? LoginSend::Sent : LoginSend::Failed;
}

bool Pop3Session::replyAccepted() {
    return readReply()[0] != '-';
}

void Pop3Session::wipeReply() {
    base::wipeBytes(reply, sizeof reply);
}

std::optional<StatResult> Pop3Session::stat() {
    return statOf(command("STAT"));
}

std::optional<StatResult> Pop3Session::readStat() {
    return statOf(readReply());
}

std::optional<StatResult> Pop3Session::statOf(const char* result) {
    if (result[0] == '-') {
        return std::nullopt;
    }
    // "+OK count size": fields separated by single blanks; the count must be followed by a blank.
    const char* count = std::strchr(result, ' ');
    if (count == nullptr) {
        return std::nullopt;
    }
    ++count;
    const char* size = std::strchr(count, ' ');
    if (size == nullptr) {
        return std::nullopt;
    }
    ++size;
    return StatResult{leadingNumber(count), leadingNumber(size)};
}

bool Pop3Session::greetingHasApopTimestamp() const {
    return !apopTimestamp(greeting).empty();
}

ApopResult Pop3Session::apop(const std::string& user, const std::string& pass) {
    try {
        std::string timestamp = apopTimestamp(greeting);
        if (timestamp.empty()) {
            return ApopResult::NoTimestamp;
        }
        if (!base::fitsOneLine(user)) {
            return ApopResult::Refused;
        }
        std::string line = "APOP " + user + " " + apopDigest(timestamp, pass);
        const ApopResult result = command(line.c_str())[0] == '-' ? ApopResult::Refused : ApopResult::LoggedIn;
        base::wipeBytes(reply, sizeof reply);
        return result;
    } catch (const std::bad_alloc&) {
        return ApopResult::OutOfMemory;
    }
}

}  // namespace net
