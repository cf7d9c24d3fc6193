// Whole checks over the scripted socket layer, in two modes chosen by the input's last byte. In both the input also
// chooses what the server offers in CAPA: nothing, UIDL, PIPELINING or both.
//
// Arbitrary replies: the server's replies from STAT on are arbitrary bytes (the UIDL, TOP and LIST replies and the
// rest). The same replies are then played to a second check that carries the first one's list with some entries
// marked. Properties: no check fails in any other way than by its error codes, the first check deletes nothing, and
// the second deletes exactly the marked messages, in order, up to the first refused deletion.
//
// A mailbox of arbitrary messages: any bytes (CR, LF and zero bytes anywhere, dots at any place, lines of any
// length), served as a correct server serves them, dot-stuffed. Properties: the check lists exactly the server's
// messages, in order, each summarised from its own lines, and says the commands of a check in step (UIDL when
// offered, every TOP, then LIST, then QUIT); a second check with some entries marked deletes exactly the marked
// ones (by id when UIDL is offered) and lists the rest, counting only those.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_expect.h"
#include "mail/check_result.h"
#include "mail/mail_check.h"
#include "mail/top_reply_reader.h"
#include "net/pop3_session.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "tests/support/scripted_socket_io.h"
#include "tests/support/silent_check_host.h"

namespace {

class FuzzHost : public testenv::SilentCheckHost {
public:
    void handOverList(const mail::MailEntryList& list) override {
        handedOver.push_back(list);
    }
    void result(int kind, long value) override {
        results.emplace_back(kind, value);
    }
    void checkEnded() override {
        ++ends;
    }

    std::vector<mail::MailEntryList> handedOver;
    std::vector<std::pair<int, long>> results;
    int ends = 0;
};

struct Outcome {
    FuzzHost host;
    std::string sent;          // every byte the check sent
    std::vector<int> deleted;  // message numbers of the DELE commands sent, in order
};

// What the server offers in its CAPA reply; a server without either refuses CAPA.
struct Extensions {
    bool uidl = false;
    bool pipelining = false;
};

Extensions consumeExtensions(FuzzedDataProvider& input) {
    const int bits = input.ConsumeIntegralInRange<int>(0, 3);
    return Extensions{(bits & 1) != 0, (bits & 2) != 0};
}

// The greeting, the CAPA reply and the replies to USER and PASS.
std::string loginReplies(const Extensions& extensions) {
    std::string capa = "-ERR\r\n";
    if (extensions.uidl || extensions.pipelining) {
        capa = "+OK\r\nTOP\r\nUSER\r\n";
        capa += extensions.uidl ? "UIDL\r\n" : "";
        capa += extensions.pipelining ? "PIPELINING\r\n" : "";
        capa += ".\r\n";
    }
    return "+OK ready <1.2@pop.example.jp>\r\n" + capa + "+OK\r\n+OK\r\n";
}

std::vector<std::string> chunked(const std::string& stream, std::size_t chunkSize) {
    std::vector<std::string> chunks;
    for (std::size_t at = 0; at < stream.size(); at += chunkSize) {
        chunks.push_back(stream.substr(at, chunkSize));
    }
    return chunks;
}

// One check whose server sends `chunks` (the greeting and the login replies first); exactly one result comes.
void runCheck(const std::vector<std::string>& chunks,
              const mail::MailEntryList& previous,
              int headCount,
              Outcome& outcome) {
    testenv::ScriptedSocketIo io;
    io.chunks.assign(chunks.begin(), chunks.end());
    net::Pop3Session session(net::kAfInet, io);
    settings::Settings settings;
    settings.server = "pop.example.jp";
    settings.user = "neko";
    settings.pass = "secret";
    settings.headCount = headCount;
    mail::MailCheck check(session, outcome.host, [] {});
    check.prepare(previous, settings::takeCheckSettings(settings));
    check.run();
    check.finish();

    FUZZ_EXPECT(outcome.host.results.size() == 1);
    FUZZ_EXPECT(outcome.host.ends == 1);
    outcome.sent = io.sent;
    std::istringstream sent(io.sent);
    std::string line;
    while (std::getline(sent, line)) {
        if (line.compare(0, 5, "DELE ") == 0) {
            outcome.deleted.push_back(std::stoi(line.substr(5)));
        }
    }
}

// The user marks entries by the bits of `marks` (entry k by bit k - 1); the numbers of the marked ones.
std::vector<int> markEntries(mail::MailEntryList& list, std::uint32_t marks) {
    std::vector<int> marked;
    int k = 1;
    for (mail::MailEntry& entry : list) {
        entry.deleteMark = k <= 32 && (marks >> (k - 1)) & 1u;
        if (entry.deleteMark) {
            marked.push_back(k);
        }
        ++k;
    }
    return marked;
}

void arbitraryReplies(FuzzedDataProvider& input) {
    const std::uint32_t marks = input.ConsumeIntegral<std::uint32_t>();
    const int headCount = input.ConsumeIntegralInRange<int>(1, 4);
    const std::size_t chunkSize = input.ConsumeIntegralInRange<std::size_t>(1, 1023);
    const Extensions extensions = consumeExtensions(input);
    const std::vector<std::string> chunks =
        chunked(loginReplies(extensions) + input.ConsumeRemainingBytesAsString(), chunkSize);

    Outcome first;
    runCheck(chunks, {}, headCount, first);
    const auto [command, parameter] = first.host.results.front();
    if (command == testenv::kFailed) {
        FUZZ_EXPECT(parameter >= mail::kErrStat && parameter <= mail::kErrTopRead);
        FUZZ_EXPECT(first.host.handedOver.size() == 1 && first.host.handedOver.front().empty());
    } else {
        FUZZ_EXPECT(command == testenv::kNoMail || command == testenv::kMailWaiting);
        FUZZ_EXPECT(first.host.handedOver.size() <= 1);
        if (command == testenv::kMailWaiting) {
            FUZZ_EXPECT(!first.host.handedOver.front().empty());
        }
    }
    FUZZ_EXPECT(first.deleted.empty());
    if (first.host.handedOver.empty() || first.host.handedOver.front().empty()) {
        return;
    }

    // The user marks some of the listed messages; the server still holds exactly the same ones.
    mail::MailEntryList previous = first.host.handedOver.front();
    const std::vector<int> marked = markEntries(previous, marks);
    Outcome second;
    runCheck(chunks, previous, headCount, second);
    FUZZ_EXPECT(second.deleted.size() <= marked.size());
    for (std::size_t i = 0; i < second.deleted.size(); ++i) {
        FUZZ_EXPECT(second.deleted[i] == marked[i]);
    }
}

// --- A mailbox of arbitrary messages ---

// The message's lines as a server splits them: at each LF, which stays with its line.
std::vector<std::string> serverLines(const std::string& message) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < message.size();) {
        std::size_t lf = message.find('\n', start);
        std::size_t end = lf == std::string::npos ? message.size() : lf + 1;
        lines.push_back(message.substr(start, end - start));
        start = end;
    }
    return lines;
}

// The body of a multi-line reply as a correct server sends it: every line that begins with a dot gets one more,
// a last line without its LF gets a CR LF, and the line "." ends it.
std::string dotStuffed(const std::string& message) {
    std::string reply;
    for (const std::string& line : serverLines(message)) {
        if (line[0] == '.') {
            reply += '.';
        }
        reply += line;
        if (line.back() != '\n') {
            reply += "\r\n";
        }
    }
    return reply + ".\r\n";
}

// What a client in step reads of the message, line by line: the stuffed lines without their line end (a CR right
// before the LF belongs to it), zero bytes as blanks, each cut to the line length a reader keeps; then ".".
std::vector<std::string> linesInStep(const std::string& message) {
    std::vector<std::string> lines;
    for (std::string line : serverLines(message)) {
        if (line.back() == '\n') {
            line.pop_back();
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
        }
        if (!line.empty() && line[0] == '.') {
            line.insert(0, 1, '.');
        }
        for (char& c : line) {
            if (c == '\0') {
                c = ' ';
            }
        }
        lines.push_back(line.substr(0, net::kMaxLineChars));
    }
    lines.push_back(".");
    return lines;
}

mail::MailEntry summaryOf(const std::string& message, int headCount) {
    mail::TopReplyReader reader(headCount);
    for (const std::string& line : linesInStep(message)) {
        if (!reader.feed(line)) {
            break;
        }
    }
    mail::MailEntry entry = reader.entry();
    entry.size = static_cast<std::int32_t>(message.size());
    return entry;
}

// Whether the check asks for the message a second time: a multipart mail whose text has not begun within the
// lines of the first TOP (this server sends the whole message whatever the count).
bool askedAgain(const std::string& message, int headCount) {
    mail::TopReplyReader reader(headCount);
    for (const std::string& line : linesInStep(message)) {
        if (!reader.feed(line)) {
            break;
        }
    }
    return reader.wantsMoreLines(headCount + 7);
}

bool sameEntries(const mail::MailEntryList& actual, const std::vector<mail::MailEntry>& expected) {
    if (actual.size() != expected.size()) {
        return false;
    }
    auto it = actual.begin();
    for (const mail::MailEntry& entry : expected) {
        if (!it->matches(entry) || it->deleteMark) {
            return false;
        }
        ++it;
    }
    return true;
}

// Whether the check sends its TOP commands in a window: then every message asked for again is asked once the
// window is through, after the first TOP of every message.
bool topsPipelined(const Extensions& extensions, std::size_t count) {
    return extensions.pipelining && count >= 2;
}

// The TOP commands of a check, or the replies to them, in the order the check sends them.
std::string topsInOrder(const std::vector<std::string>& messages,
                        int headCount,
                        const Extensions& extensions,
                        bool replies) {
    std::string first;
    std::string again;
    for (std::size_t k = 1; k <= messages.size(); ++k) {
        const std::string& message = messages[k - 1];
        first += replies ? "+OK\r\n" + dotStuffed(message)
                         : "TOP " + std::to_string(k) + " " + std::to_string(headCount + 7) + "\r\n";
        if (askedAgain(message, headCount)) {
            std::string& into = topsPipelined(extensions, messages.size()) ? again : first;
            into += replies ? "+OK\r\n" + dotStuffed(message)
                            : "TOP " + std::to_string(k) + " " +
                                  std::to_string(headCount + 7 + mail::kMorePreviewLines) + "\r\n";
        }
    }
    return first + again;
}

// The server's side of a check over the mailbox whose `deletes` DELE commands all succeed; a message asked for
// again is sent again. With UIDL message k has the id "id<k>".
// A list reply: "+OK", one line per message from `line(k)`, ".".
template <typename Line>
std::string listReply(std::size_t count, Line line) {
    std::string reply = "+OK\r\n";
    for (std::size_t k = 1; k <= count; ++k) {
        reply += std::to_string(k) + " " + line(k) + "\r\n";
    }
    return reply + ".\r\n";
}

// With PIPELINING, STAT, UIDL and LIST leave together right after the login, whatever the count; without it UIDL
// follows STAT only when there are messages, and LIST comes after the TOP commands.
std::string serverStream(const std::vector<std::string>& messages,
                         int headCount,
                         const Extensions& extensions,
                         std::size_t deletes) {
    std::size_t total = 0;
    for (const std::string& message : messages) {
        total += message.size();
    }
    const auto id = [](std::size_t k) { return "id" + std::to_string(k); };
    const auto size = [&messages](std::size_t k) { return std::to_string(messages[k - 1].size()); };
    std::string stream = loginReplies(extensions);
    stream += "+OK " + std::to_string(messages.size()) + " " + std::to_string(total) + "\r\n";
    if (extensions.pipelining) {
        stream += extensions.uidl ? listReply(messages.size(), id) : "";
        stream += listReply(messages.size(), size);
    }
    if (!messages.empty()) {
        if (extensions.uidl && !extensions.pipelining) {
            stream += listReply(messages.size(), id);
        }
        stream += topsInOrder(messages, headCount, extensions, true);
        if (!extensions.pipelining) {
            stream += listReply(messages.size(), size);
        }
        for (std::size_t i = 0; i < deletes; ++i) {
            stream += "+OK\r\n";
        }
    }
    return stream + "+OK bye\r\n";
}

// The commands of a check, with a second TOP for each message asked for again and DELE for `deleted`.
std::string commandsInStep(const std::vector<std::string>& messages,
                           int headCount,
                           const Extensions& extensions,
                           const std::vector<int>& deleted) {
    std::string commands = "CAPA\r\nUSER neko\r\nPASS secret\r\nSTAT\r\n";
    if (extensions.pipelining) {
        commands += extensions.uidl ? "UIDL\r\nLIST\r\n" : "LIST\r\n";
    }
    if (!messages.empty()) {
        commands += extensions.uidl && !extensions.pipelining ? "UIDL\r\n" : "";
        commands += topsInOrder(messages, headCount, extensions, false);
        commands += extensions.pipelining ? "" : "LIST\r\n";
        for (int k : deleted) {
            commands += "DELE " + std::to_string(k) + "\r\n";
        }
    }
    return commands + "QUIT\r\n";
}

// The check lists exactly `expected` (posting 102 with the count of mails left, or 101 when nothing is left).
void expectListed(const Outcome& outcome, std::size_t serverCount, const std::vector<mail::MailEntry>& expected) {
    const auto [command, parameter] = outcome.host.results.front();
    if (serverCount == 0) {
        FUZZ_EXPECT(command == testenv::kNoMail && outcome.host.handedOver.empty());
        return;
    }
    FUZZ_EXPECT(outcome.host.handedOver.size() == 1);
    FUZZ_EXPECT(sameEntries(outcome.host.handedOver.front(), expected));
    if (expected.empty()) {
        FUZZ_EXPECT(command == testenv::kNoMail && parameter == 0);
    } else {
        FUZZ_EXPECT(command == testenv::kMailWaiting && parameter == static_cast<long>(expected.size()));
    }
}

void arbitraryMailbox(FuzzedDataProvider& input) {
    const std::uint32_t marks = input.ConsumeIntegral<std::uint32_t>();
    const int headCount = input.ConsumeIntegralInRange<int>(1, 4);
    const std::size_t chunkSize = input.ConsumeIntegralInRange<std::size_t>(1, 1100);
    const Extensions extensions = consumeExtensions(input);
    std::vector<std::string> messages;
    while (input.remaining_bytes() > 0 && messages.size() < 8) {
        messages.push_back(input.ConsumeRandomLengthString(4096));
    }
    std::vector<mail::MailEntry> summaries;
    for (const std::string& message : messages) {
        summaries.push_back(summaryOf(message, headCount));
    }

    Outcome first;
    runCheck(chunked(serverStream(messages, headCount, extensions, 0), chunkSize), {}, headCount, first);
    FUZZ_EXPECT(first.sent == commandsInStep(messages, headCount, extensions, {}));
    expectListed(first, messages.size(), summaries);
    if (messages.empty()) {
        return;
    }

    mail::MailEntryList previous = first.host.handedOver.front();
    const std::vector<int> marked = markEntries(previous, marks);
    std::vector<mail::MailEntry> kept;
    for (std::size_t k = 1; k <= summaries.size(); ++k) {
        if (k > 32 || !((marks >> (k - 1)) & 1u)) {
            kept.push_back(summaries[k - 1]);
        }
    }
    Outcome second;
    runCheck(chunked(serverStream(messages, headCount, extensions, marked.size()), chunkSize), previous, headCount,
             second);
    FUZZ_EXPECT(second.deleted == marked);
    FUZZ_EXPECT(second.sent == commandsInStep(messages, headCount, extensions, marked));
    expectListed(second, messages.size(), kept);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool()) {
        arbitraryMailbox(input);
    } else {
        arbitraryReplies(input);
    }
    return 0;
}
