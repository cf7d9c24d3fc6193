#include "mail/mail_check.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <new>
#include <unordered_map>
#include <utility>

#include "base/ascii.h"
#include "base/base64.h"
#include "base/random_bytes.h"
#include "base/wipe.h"
#include "mail/check_result.h"
#include "mail/deletion_walk.h"
#include "mail/list_sizes.h"
#include "mail/login_method.h"
#include "mail/top_reply_reader.h"
#include "mail/unique_ids.h"
#include "net/line_socket.h"
#include "net/pop3_session.h"
#include "oauth/oauth_provider.h"
#include "oauth/token_client.h"

#include <ctime>

namespace mail {

namespace {

// Raised inside the check with its error code and caught once at its top.
struct CheckFailure {
    int code;
};

[[noreturn]] void raise(int code) {
    throw CheckFailure{code};
}

// A status line is "+OK" or "-ERR" (in any case). Anything else (an empty line, garbage, or a connection that
// gave no line at all) means the two sides no longer agree on where they are in the conversation.
enum class Status { Ok, Refused, Broken };

Status statusOf(const char* reply) {
    const auto is = [reply](std::string_view word) { return base::startsWithNoCase(reply, word); };
    return is("+OK") ? Status::Ok : is("-ERR") ? Status::Refused : Status::Broken;
}

bool notOk(const char* reply) {
    return statusOf(reply) != Status::Ok;
}

// The mailbox and the reading setting that a remembered summary belongs to.
std::string mailboxKey(const std::string& server, const std::string& user, int headCount) {
    return server + '\n' + user + '\n' + std::to_string(headCount);
}

// Marks are only ever carried out on the mailbox their list was read from: a list from another server, port or
// user (the settings changed since) or entries that no check made are never used to delete.
bool listedHere(const MailEntryList& previous, const MailboxId& here) {
    return std::all_of(previous.begin(), previous.end(), [&here](const MailEntry& entry) {
        return entry.mailbox != nullptr && entry.mailbox->sameAs(here);
    });
}

bool anyMarked(const MailEntryList& list) {
    return std::any_of(list.begin(), list.end(), [](const MailEntry& entry) { return entry.deleteMark; });
}

// Asks for a few lines more than wanted, for the empty lines that do not count.
long long previewLines(int headCount) {
    return static_cast<long long>(headCount) + 7;
}

std::string topCommand(int messageNumber, long long lines) {
    return "TOP " + std::to_string(messageNumber) + " " + std::to_string(lines);
}

int timeoutMilliseconds(int seconds) {
    if (seconds <= 0) {
        return net::kNoTimeLimit;
    }
    return seconds >= INT_MAX / 1000 ? INT_MAX : seconds * 1000;
}

// A user name or password that would end its command line early is never sent: the login it belongs
// to counts as refused before the server is even contacted.
void refuseUnsafeLogin(const std::string& user, const std::string& pass, bool apop) {
    if (apop && !(base::fitsOneLine(user) && base::fitsOneLine(pass))) {
        raise(kErrApopRefused);
    }
    if (!base::fitsOneLine(user)) {
        raise(kErrUser);
    }
    if (!base::fitsOneLine(pass)) {
        raise(kErrPass);
    }
}

// The secrets a check's settings carry, wiped together wherever the password is.
void wipeSecrets(CheckSettings& settings) {
    base::wipeString(settings.pass);
    base::wipeString(settings.oauth.clientSecret);
    base::wipeString(settings.oauth.refreshToken);
    base::wipeString(settings.oauth.accessToken);
}

class WipeSecretsOnExit {
public:
    explicit WipeSecretsOnExit(CheckSettings& settings) : settings(settings) {
    }
    ~WipeSecretsOnExit() {
        wipeSecrets(settings);
    }
    WipeSecretsOnExit(const WipeSecretsOnExit&) = delete;
    WipeSecretsOnExit& operator=(const WipeSecretsOnExit&) = delete;

private:
    CheckSettings& settings;
};

// SCRAM's client nonce: 18 random bytes as 24 Base64 characters (never a ',').
std::string scramNonce() {
    std::string raw(18, '\0');
    if (!base::randomBytes(raw.data(), raw.size())) {
        raise(kErrPass);  // nothing guessable goes out; the login fails before it begins
    }
    return base::encodeBase64(raw);
}

// An access token is renewed this long before it runs out, so that it cannot expire during the login.
constexpr long long kTokenMarginSeconds = 60;
// How long a renewed token counts as good when the server does not say.
constexpr long long kDefaultTokenSeconds = 3600;

// The fingerprint the TLS channel may accept despite its faults: the pin's, when it was trusted for exactly this
// server (host names in any case) and port; none otherwise.
std::string pinnedFingerprint(const TrustedCertificate& pin, const std::string& server, int port) {
    return base::equalsNoCase(server, pin.server) && pin.port == port ? pin.fingerprint : std::string();
}

}  // namespace

MailCheck::MailCheck(net::Pop3Session& session, CheckHost& host, std::function<void()> stopPoll)
    : session(session), host(host), stopPoll(std::move(stopPoll)) {
}

void MailCheck::prepare(const MailEntryList& mailList, CheckSettings settings) {
    WipeSecretsOnExit wipeCopy(settings);
    Plan next;
    WipeSecretsOnExit wipeNext(next);
    static_cast<CheckSettings&>(next) = std::move(settings);
    next.previous = mailList;
    base::Locked lock(planMutex);
    wipeSecrets(plan);
    plan = std::move(next);
}

MailCheck::Plan MailCheck::takePlan() {
    base::Locked lock(planMutex);
    // Taken, not left: a later run that was not prepared must not act on these marks again.
    // Moved, not copied: no second copy of the password to wipe, and nothing that can fail half-way.
    Plan taken = std::move(plan);
    wipeSecrets(plan);  // a short one stays in the moved-from text's own bytes
    plan = Plan{};
    return taken;
}

void MailCheck::run() {
    Plan current = takePlan();
    // Also when a stop unwinds the run from one of its stop polls.
    WipeSecretsOnExit wipePass(current);
    host.checkStarted();
    host.showChecking();
    try {
        converse(current);
    } catch (const CheckFailure& failure) {
        fail(failure.code);
    } catch (const std::bad_alloc&) {
        fail(kErrOutOfMemory);
    }
}

void MailCheck::raiseStep(int code) {
    // Whatever step it was, a server that stopped answering is what the user needs to hear about.
    raise(session.timedOut() ? kErrTimeout : code);
}

void MailCheck::converse(Plan& plan) {
    // A protection the settings do not name clearly is not guessed at: nothing is connected.
    if (plan.sslMode < kSslNone || plan.sslMode > kSslImplicit || plan.auth == AuthMethod::Unknown) {
        raise(kErrSettingsIncomplete);
    }
    refuseUnsafeLogin(plan.user, plan.pass, plan.apop);
    // Clears the time-out of an earlier check, so only from here on does raiseStep look at it.
    if (!session.create(net::kSockStream, 0)) {
        raise(kErrSocket);
    }
    session.setTimeout(timeoutMilliseconds(plan.timeoutSec));
    stopPoll();
    if (plan.auth == AuthMethod::OAuth2 &&
        (plan.oauth.accessToken.empty() || std::time(nullptr) + kTokenMarginSeconds >= plan.oauth.accessExpiresAt)) {
        // Renewed before connecting, so that no session waits on the authorization server.
        renewAccessToken(plan);
        stopPoll();
    }
    openConnection(plan);
    stopPoll();
    const ServerExtensions extensions = askExtensions();
    // With PIPELINING, STAT, UIDL and LIST go in one write, depending on no reply but the login's.
    const std::string status = extensions.uidl ? "STAT\r\nUIDL\r\nLIST\r\n" : "STAT\r\nLIST\r\n";
    const bool statusSent = logIn(plan, extensions, status);
    wipeSecrets(plan);
    stopPoll();
    if (extensions.pipelining && !statusSent && !session.sendAhead(status)) {
        raiseStep(kErrStat);
    }
    std::optional<net::StatResult> stat = extensions.pipelining ? session.readStat() : session.stat();
    if (!stat) {
        raiseStep(kErrStat);
    }
    const int count = stat->count;
    stopPoll();
    UniqueIds ids;
    std::vector<std::int32_t> sizes;
    if (extensions.pipelining) {
        // Their replies are on their way whatever the count: read before anything else.
        ids = extensions.uidl ? readUniqueIds(count, true) : std::nullopt;
        sizes = readSizesAhead(count);
    }

    const auto here =
        std::make_shared<const MailboxId>(MailboxId{plan.server, plan.port, plan.user, plan.mailbox, plan.mailboxName});
    if (!listedHere(plan.previous, *here)) {
        // Marks on another mailbox's list stay undone; the user hears that not every marked mail was deleted.
        if (anyMarked(plan.previous)) {
            host.reportDeletionRefused();
        }
        plan.previous.clear();
    }
    known.useMailbox(mailboxKey(plan.server, plan.user, plan.headCount));
    if (count == 0) {
        known.remember(MailEntryList{});
        host.noMail();
    } else {
        if (extensions.uidl && !extensions.pipelining) {
            ids = readUniqueIds(count, false);
        }
        MailEntryList fresh = readMessages(count, plan.headCount, ids, extensions.pipelining);
        if (extensions.pipelining) {
            auto entry = fresh.begin();
            for (std::size_t k = 0; k < sizes.size() && entry != fresh.end(); ++k, ++entry) {
                entry->size = sizes[k];
            }
        } else {
            readSizes(fresh);
        }
        for (MailEntry& entry : fresh) {
            entry.mailbox = here;
        }
        const bool allDeleted = ids && !plan.previous.empty() &&
                                        std::all_of(plan.previous.begin(), plan.previous.end(),
                                                    [](const MailEntry& entry) { return !entry.uniqueId.empty(); })
                                    ? deleteById(plan.previous, fresh, *ids, extensions.pipelining)
                                    : deleteMarked(plan.previous, fresh);
        if (!allDeleted) {
            host.reportDeletionRefused();
        }
        known.markNew(fresh);
        known.remember(fresh);
        // The owner's list becomes this one when it handles the result posted right after; the count is of the
        // mails still waiting, not STAT's, which still counted the ones deleted in this session.
        host.handOverList(fresh);
        if (fresh.empty()) {
            host.noMail();
        } else {
            host.mailWaiting(static_cast<int>(fresh.size()));
        }
    }
    // Its reply is waited for: only then has the server ended the session (carried out the deletions, released
    // the mailbox) before the next check may begin.
    session.command("QUIT");
}

MailCheck::ServerExtensions MailCheck::askExtensions() {
    // A refusal, a closed connection or an unreadable reply all mean: no extensions. What follows is then the
    // plain conversation (a closed connection fails at its first command, as it would have without CAPA).
    const std::optional<net::Capabilities> listed = session.capabilities();
    ServerExtensions extensions;
    if (listed) {
        extensions.uidl = listed->has("UIDL");
        extensions.pipelining = listed->has("PIPELINING");
        extensions.sasl = listed->arguments("SASL");
    }
    return extensions;
}

MailCheck::UniqueIds MailCheck::readUniqueIds(int count, bool sentAhead) {
    // An id list that cannot be trusted to name each message once fails the check: it must never decide a
    // deletion, and a full check without ids would hide the fault.
    if (notOk(sentAhead ? session.readReply() : session.command("UIDL"))) {
        raiseStep(kErrStat);
    }
    // A line more than STAT announced ends the reading: a list that long is wrong however it goes on.
    std::optional<std::vector<std::string>> lines =
        session.readMultiLine(count > 0 ? static_cast<std::size_t>(count) : 0);
    if (!lines) {
        raiseStep(kErrStat);
    }
    UniqueIds ids = parseUniqueIds(*lines, count);
    if (!ids) {
        raise(kErrStat);
    }
    stopPoll();
    return ids;
}

std::vector<std::int32_t> MailCheck::readSizesAhead(int count) {
    // As after the TOP replies: without a positive reply every size stays 0, and more lines than STAT announced
    // fail the check.
    std::vector<std::int32_t> sizes;
    if (session.readReply()[0] != '+') {
        return sizes;
    }
    const bool inStep = readListSizes(
        count > 0 ? static_cast<std::size_t>(count) : 0,
        [&sizes](std::size_t index, std::int32_t size) {
            if (index == sizes.size()) {
                sizes.push_back(size);
            }
        },
        [this](std::string& line) { return session.readLine(line); });
    if (!inStep) {
        raise(kErrStat);
    }
    return sizes;
}

MailEntryList MailCheck::readMessages(int count, int headCount, const UniqueIds& ids, bool pipelining) {
    MailEntryList fresh;
    if (!ids) {
        // Every message is fetched, a slice at a time, so that whatever count STAT gave reserves nothing up
        // front: a server that has fewer messages fails the check at the TOP it cannot answer.
        constexpr long long kSlice = 4096;
        std::vector<int> slice;
        for (long long first = 1; first <= count; first += kSlice) {
            slice.clear();
            for (long long k = first; k <= count && k < first + kSlice; ++k) {
                slice.push_back(static_cast<int>(k));
            }
            std::vector<MailEntry> got(slice.size());
            fetchMessages(slice, headCount, pipelining,
                          [&got](std::size_t index, MailEntry&& entry) { got[index] = std::move(entry); });
            for (MailEntry& entry : got) {
                fresh.push_back(std::move(entry));
            }
        }
        return fresh;
    }
    // With ids (one per message, so the count is what the server really listed) a message seen by the last
    // check keeps its summary, and only the others are fetched.
    std::vector<MailEntry> entries(ids->size());
    std::vector<int> wanted;  // message numbers that need TOP
    for (std::size_t k = 1; k <= ids->size(); ++k) {
        if (const MailEntry* seen = known.find((*ids)[k - 1])) {
            MailEntry& entry = entries[k - 1];
            entry.from = seen->from;
            entry.subject = seen->subject;
            entry.firstLines = seen->firstLines;
        } else {
            wanted.push_back(static_cast<int>(k));
        }
    }
    fetchMessages(wanted, headCount, pipelining,
                  [&](std::size_t index, MailEntry&& entry) { entries[wanted[index] - 1] = std::move(entry); });
    for (std::size_t k = 1; k <= entries.size(); ++k) {
        MailEntry& entry = entries[k - 1];
        entry.uniqueId = (*ids)[k - 1];
        fresh.push_back(std::move(entry));
    }
    return fresh;
}

void MailCheck::fetchMessages(const std::vector<int>& numbers,
                              int headCount,
                              bool pipelining,
                              const std::function<void(std::size_t, MailEntry&&)>& store) {
    if (!pipelining || numbers.size() < 2) {
        for (std::size_t index = 0; index < numbers.size(); ++index) {
            store(index, readMessage(numbers[index], headCount));
        }
        return;
    }
    // Every command in one text: the socket sends it as fast as the server takes it while the replies are read
    // (see LineSocket::sendAhead), so however many there are, neither side waits for the other to read.
    const long long lines = previewLines(headCount);
    std::string text;
    text.reserve(numbers.size() * 20);
    for (int k : numbers) {
        text += topCommand(k, lines);
        text += "\r\n";
    }
    if (!session.sendAhead(text)) {
        raiseStep(kErrTop);
    }
    std::vector<std::size_t> more;  // multipart or enclosing mails whose text has not begun within the lines
    for (std::size_t index = 0; index < numbers.size(); ++index) {
        TopReplyReader reader = readTopReply(session.readReply(), headCount);
        if (reader.wantsMoreLines(lines)) {
            more.push_back(index);
        } else {
            store(index, reader.entry());
        }
    }
    // Once every reply is in, each of those is asked for once more, as a plain check would.
    for (std::size_t index : more) {
        store(index, readTop(numbers[index], lines + kMorePreviewLines, headCount).entry());
    }
}

void MailCheck::openConnection(const Plan& plan) {
    const std::string pin = pinnedFingerprint(plan.trustedCert, plan.server, plan.port);
    if (plan.sslMode == kSslImplicit) {
        net::TlsResult tls;
        if (session.openTls(plan.server.c_str(), plan.port, pin, tls) == nullptr) {
            raiseStep(kErrConnect);
        }
        requireTrusted(plan, tls);
        return;
    }
    if (session.open(plan.server.c_str(), plan.port) == nullptr) {
        raiseStep(kErrConnect);
    }
    if (plan.sslMode == kSslStls) {
        stopPoll();
        bool offered = false;
        net::TlsResult tls = session.upgradeWithStls(plan.server.c_str(), pin, offered);
        if (!offered) {
            raiseStep(kErrStlsUnavailable);
        }
        requireTrusted(plan, tls);
    }
}

// Anything but a trusted TLS session ends the check before a login line is sent; the session is closed by then.
// A server that stopped answering during the handshake or the STLS steps is reported as the time-out it was.
void MailCheck::requireTrusted(const Plan& plan, const net::TlsResult& tls) {
    if (tls.status == net::TlsStatus::Untrusted) {
        host.noteUntrustedCertificate(UntrustedCertificate{tls.problem, tls.fingerprint, plan.server, plan.port});
        raise(kErrCertUntrusted);
    }
    if (tls.status != net::TlsStatus::Ok) {
        raiseStep(kErrTls);
    }
}

bool MailCheck::logIn(Plan& plan, const ServerExtensions& extensions, const std::string& status) {
    // The connection is protected by now whenever the settings ask for TLS: anything else ended the check.
    const ServerLoginOffer offer{extensions.sasl, plan.sslMode != kSslNone, session.greetingHasApopTimestamp()};
    const std::optional<LoginStyle> style = chooseLogin(plan.auth, plan.apop, offer);
    if (!style) {
        raise(kErrAuthUnavailable);
    }
    if (style->kind == LoginStyle::Sasl) {
        // A SASL exchange is never pipelined: each step answers the one before.
        logInWithSasl(plan, style->mechanism);
    } else if (style->kind == LoginStyle::Apop) {
        logInWithApop(plan);
    } else if (extensions.pipelining) {
        logInWithUserAndPassAtOnce(plan, status);
        return true;
    } else {
        logInWithUserAndPass(plan);
    }
    return false;
}

void MailCheck::logInWithApop(const Plan& plan) {
    switch (session.apop(plan.user, plan.pass)) {
        case net::ApopResult::LoggedIn:
            return;
        case net::ApopResult::NoTimestamp:
            raiseStep(kErrApopNoTimestamp);
        case net::ApopResult::Refused:
            raiseStep(kErrApopRefused);
        case net::ApopResult::OutOfMemory:
            raiseStep(kErrOutOfMemory);
    }
}

void MailCheck::logInWithUserAndPass(const Plan& plan) {
    if (!session.sendUser(plan.user)) {
        raiseStep(kErrUser);
    }
    stopPoll();
    if (!session.sendPass(plan.pass)) {
        raiseStep(kErrPass);
    }
}

void MailCheck::logInWithSasl(Plan& plan, net::SaslMechanism mechanism) {
    if (mechanism == net::SaslMechanism::XOAuth2 || mechanism == net::SaslMechanism::OAuthBearer) {
        logInWithToken(plan, mechanism);
        return;
    }
    net::SaslExchange exchange(mechanism, {plan.user, plan.pass, plan.server, plan.port}, scramNonce());
    if (session.authenticate(exchange) != net::SaslResult::LoggedIn) {
        raiseStep(kErrPass);
    }
}

// The access token is tried once as it is; refused, it is renewed and tried once more (it may have been revoked
// or may have expired early). A server that refuses a token just renewed refuses the login.
void MailCheck::logInWithToken(Plan& plan, net::SaslMechanism mechanism) {
    for (bool renewed = false;; renewed = true) {
        const net::SaslResult result = [&] {
            net::SaslExchange exchange(mechanism, {plan.user, plan.oauth.accessToken, plan.server, plan.port}, "");
            return session.authenticate(exchange);
        }();
        if (result == net::SaslResult::LoggedIn) {
            return;
        }
        if (result == net::SaslResult::Broken || renewed) {
            raiseStep(kErrPass);
        }
        stopPoll();
        renewAccessToken(plan);
        stopPoll();
    }
}

void MailCheck::renewAccessToken(Plan& plan) {
    if (plan.oauth.refreshToken.empty()) {
        raise(kErrSignInNeeded);
    }
    const std::optional<oauth::Provider> known = oauth::knownProvider(plan.oauth.provider);
    oauth::TokenResult renewed = oauth::refreshAccessToken(
        {known ? known->tokenUrl : plan.oauth.tokenUrl, plan.oauth.clientId, plan.oauth.clientSecret},
        plan.oauth.refreshToken);
    base::WipeOnExit wipeAccess(renewed.response.accessToken);
    base::WipeOnExit wipeRefresh(renewed.response.refreshToken);
    if (renewed.failure == oauth::TokenFailure::Refused) {
        raise(kErrSignInNeeded);
    }
    if (renewed.failure != oauth::TokenFailure::None) {
        raise(kErrTokenEndpoint);
    }
    const long long lifetime =
        renewed.response.expiresInSeconds > 0 ? renewed.response.expiresInSeconds : kDefaultTokenSeconds;
    plan.oauth.accessToken = renewed.response.accessToken;
    plan.oauth.accessExpiresAt = static_cast<long long>(std::time(nullptr)) + lifetime;
    if (!renewed.response.refreshToken.empty()) {
        plan.oauth.refreshToken = renewed.response.refreshToken;
    }
    host.tokensRenewed(plan.oauth.accessToken, plan.oauth.accessExpiresAt, renewed.response.refreshToken);
}

void MailCheck::logInWithUserAndPassAtOnce(const Plan& plan, const std::string& status) {
    // Both lines in one write; the replies still decide in turn, as in the plain login: a refused USER is the
    // user name's fault whatever PASS got.
    switch (session.sendUserAndPass(plan.user, plan.pass)) {
        case net::LoginSend::Sent:
            break;
        case net::LoginSend::PassUnfit:
            raiseStep(kErrPass);
        case net::LoginSend::UserUnfit:
        case net::LoginSend::Failed:
            raiseStep(kErrUser);
    }
    if (!session.replyAccepted()) {
        raiseStep(kErrUser);
    }
    // The status commands leave before PASS is answered: they carry the acknowledgement of USER's reply, which a
    // server that holds back small writes (Nagle's algorithm) waits for before it sends PASS's reply, while this
    // side delays it (40 ms on Linux, up to 200 ms on Windows). After a refused PASS they are only refused too.
    // Should the send fail, the connection is closed and PASS's reply is missing.
    session.sendAhead(status);
    stopPoll();
    const bool accepted = session.replyAccepted();
    session.wipeReply();
    if (!accepted) {
        raiseStep(kErrPass);
    }
}

MailEntry MailCheck::readMessage(int messageNumber, int headCount) {
    const long long lines = previewLines(headCount);
    TopReplyReader reader = readTop(messageNumber, lines, headCount);
    // A multipart or enclosing mail whose first text lies beyond those lines (an attachment first, a long preamble,
    // the enclosed message's header) is asked for once more, with a bounded count.
    if (reader.wantsMoreLines(lines)) {
        reader = readTop(messageNumber, lines + kMorePreviewLines, headCount);
    }
    return reader.entry();
}

TopReplyReader MailCheck::readTop(int messageNumber, long long lines, int headCount) {
    const std::string top = topCommand(messageNumber, lines);
    return readTopReply(session.command(top.c_str()), headCount);
}

TopReplyReader MailCheck::readTopReply(const char* reply, int headCount) {
    if (notOk(reply)) {
        raiseStep(kErrTop);
    }
    stopPoll();
    TopReplyReader reader(headCount);
    std::string line;
    do {
        if (!session.readLine(line)) {
            raiseStep(kErrTopRead);
        }
        stopPoll();
    } while (reader.feed(line));
    return reader;
}

void MailCheck::readSizes(MailEntryList& fresh) {
    // Without a positive reply every size stays 0. A reply with more lines than STAT announced (one per entry)
    // is not read on and fails the check, like an id list of that kind.
    if (session.command("LIST")[0] != '+') {
        return;
    }
    if (!readListSizes(fresh, [this](std::string& line) { return session.readLine(line); })) {
        raise(kErrStat);
    }
}

bool MailCheck::deleteMarked(const MailEntryList& previous, MailEntryList& fresh) {
    // Without ids a marked mail whose message no longer matches (moved, or rewritten by the server) is not
    // deleted; the user hears of it as of a refused deletion, since the mail may well still be there.
    const long marked =
        std::count_if(previous.begin(), previous.end(), [](const MailEntry& e) { return e.deleteMark; });
    if (marked == 0) {
        return true;
    }
    const MailEntryList listed = fresh;
    long accepted = 0;
    bool broken = false;
    const bool walked = deleteMarkedMessages(previous, fresh, [&](int messageNumber) {
        std::string dele = "DELE " + std::to_string(messageNumber);
        const Status status = statusOf(session.command(dele.c_str()));
        broken = status == Status::Broken;
        accepted += status == Status::Ok ? 1 : 0;
        return status == Status::Ok;
    });
    if (broken) {
        abandonDeletions();
        fresh = listed;
        return false;
    }
    return walked && accepted == marked;
}

void MailCheck::abandonDeletions() {
    // Without QUIT the server carries out none of this session's DELE commands (RFC 1939, section 6): every
    // message stays, and so does every entry.
    session.close();
}

bool MailCheck::deleteById(const MailEntryList& previous,
                           MailEntryList& fresh,
                           const std::vector<std::string>& ids,
                           bool pipelining) {
    // A marked entry is deleted only through the message that carries its id in this session; the texts need
    // not match, and two equal mails with different ids stay apart.
    std::unordered_map<std::string, int> numberOf;
    for (std::size_t k = 0; k < ids.size(); ++k) {
        numberOf.emplace(ids[k], static_cast<int>(k + 1));
    }
    std::vector<int> doomed;
    // A marked id that the server no longer lists may be a mail already gone, or one whose id the server changed:
    // then it is still there, so the user hears that not every marked mail was deleted.
    bool allListed = true;
    for (const MailEntry& entry : previous) {
        if (!entry.deleteMark) {
            continue;
        }
        auto found = numberOf.find(entry.uniqueId);
        if (found != numberOf.end()) {
            doomed.push_back(found->second);
        } else {
            allListed = false;
        }
    }
    std::sort(doomed.begin(), doomed.end());
    doomed.erase(std::unique(doomed.begin(), doomed.end()), doomed.end());

    std::vector<std::string> commands;
    for (int k : doomed) {
        commands.push_back("DELE " + std::to_string(k));
    }
    std::vector<bool> deleted(ids.size() + 1, false);
    bool broken = false;
    if (pipelining) {
        // After a refusal nothing more is sent; the replies to DELE commands already sent are still read, so
        // that the list loses exactly the messages that the server agreed to delete.
        runPipelined(
            commands, limits, [this](const std::string& text) { return session.sendCommands(text); },
            [&](std::size_t index) {
                const Status status = statusOf(session.readReply());
                broken = status == Status::Broken;
                if (status != Status::Ok) {
                    return broken ? AfterReply::End : AfterReply::Drain;
                }
                deleted[doomed[index]] = true;
                return AfterReply::Next;
            });
    } else {
        for (std::size_t index = 0; index < commands.size() && !broken; ++index) {
            const Status status = statusOf(session.command(commands[index].c_str()));
            broken = status == Status::Broken;
            if (status != Status::Ok) {
                break;
            }
            deleted[doomed[index]] = true;
        }
    }
    if (broken) {
        abandonDeletions();
        return false;
    }
    bool allDeleted = allListed;
    for (int k : doomed) {
        allDeleted = allDeleted && deleted[k];
    }
    int k = 1;
    for (auto current = fresh.begin(); current != fresh.end(); ++k) {
        current = deleted[k] ? fresh.erase(current) : std::next(current);
    }
    return allDeleted;
}

void MailCheck::fail(int errorCode) {
    host.clearStartedByTimer();
    host.showIdle();
    host.setStatusText(nullptr);
    // A stop asked for while the failing step was under way ends the check here, without a result.
    stopPoll();
    // A failed check leaves the owner's list empty.
    host.handOverList(MailEntryList{});
    host.checkFailed(errorCode);
}

void MailCheck::finish() {
    session.close();
    host.checkEnded();
}

}  // namespace mail
