// A whole check against a server whose replies from STAT on are arbitrary bytes: the TOP replies, the LIST reply
// and the rest. The same replies are then played to a second check that carries the first one's list with some
// entries marked. Properties: no check fails in any other way than by its error codes, the first check deletes
// nothing, and the second deletes exactly the marked messages, in order, up to the first refused deletion.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_expect.h"
#include "mail/check_result.h"
#include "mail/mail_check.h"
#include "net/pop3_session.h"
#include "settings/settings.h"
#include "tests/support/scripted_socket_io.h"
#include "tests/support/silent_check_host.h"

namespace {

class FuzzHost : public testenv::SilentCheckHost {
public:
    void handOverList(const mail::MailEntryList& list) override {
        handedOver.push_back(list);
    }
    void postResult(int commandId, long parameter) override {
        results.emplace_back(commandId, parameter);
    }
    void clearCheckRunning() override {
        ++ends;
    }

    std::vector<mail::MailEntryList> handedOver;
    std::vector<std::pair<int, long>> results;
    int ends = 0;
};

struct Outcome {
    FuzzHost host;
    std::vector<int> deleted;  // message numbers of the DELE commands sent, in order
};

void runCheck(const std::vector<std::string>& chunks,
              const mail::MailEntryList& previous,
              int headCount,
              Outcome& outcome) {
    testenv::ScriptedSocketIo io;
    // A server without extensions: CAPA is refused, and the plain conversation follows.
    io.chunks.assign({"+OK ready <1.2@pop.example.jp>\r\n", "-ERR\r\n", "+OK\r\n", "+OK\r\n"});
    io.chunks.insert(io.chunks.end(), chunks.begin(), chunks.end());
    net::Pop3Session session(net::kAfInet, io);
    Settings settings;
    settings.server = "pop.example.jp";
    settings.user = "neko";
    settings.pass = "secret";
    settings.headCount = headCount;
    mail::MailCheck check(session, settings, outcome.host, [] {});
    check.prepare(previous);
    check.run();
    check.finish();

    // Exactly one result, and the list that goes with it.
    FUZZ_EXPECT(outcome.host.results.size() == 1);
    FUZZ_EXPECT(outcome.host.ends == 1);
    const auto [command, parameter] = outcome.host.results.front();
    if (command == mail::kCmdCheckFailed) {
        FUZZ_EXPECT(parameter >= mail::kErrStat && parameter <= mail::kErrTopRead);
        FUZZ_EXPECT(outcome.host.handedOver.size() == 1 && outcome.host.handedOver.front().empty());
    } else {
        FUZZ_EXPECT(command == mail::kCmdNoMail || command == mail::kCmdMailWaiting);
        FUZZ_EXPECT(outcome.host.handedOver.size() <= 1);
        if (command == mail::kCmdMailWaiting) {
            FUZZ_EXPECT(!outcome.host.handedOver.front().empty());
        }
    }

    std::istringstream sent(io.sent);
    std::string line;
    while (std::getline(sent, line)) {
        if (line.compare(0, 5, "DELE ") == 0) {
            outcome.deleted.push_back(std::stoi(line.substr(5)));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::uint32_t marks = input.ConsumeIntegral<std::uint32_t>();
    const int headCount = input.ConsumeIntegralInRange<int>(1, 4);
    const std::size_t chunkSize = input.ConsumeIntegralInRange<std::size_t>(1, 1023);
    const std::string replies = input.ConsumeRemainingBytesAsString();
    std::vector<std::string> chunks;
    for (std::size_t at = 0; at < replies.size(); at += chunkSize) {
        chunks.push_back(replies.substr(at, chunkSize));
    }

    Outcome first;
    runCheck(chunks, {}, headCount, first);
    FUZZ_EXPECT(first.deleted.empty());
    if (first.host.handedOver.empty() || first.host.handedOver.front().empty()) {
        return 0;
    }

    // The user marks some of the listed messages; the server still holds exactly the same ones.
    mail::MailEntryList previous = first.host.handedOver.front();
    std::vector<int> marked;
    int k = 1;
    for (mail::MailEntry& entry : previous) {
        entry.deleteMark = k <= 32 && (marks >> (k - 1)) & 1u;
        if (entry.deleteMark) {
            marked.push_back(k);
        }
        ++k;
    }
    Outcome second;
    runCheck(chunks, previous, headCount, second);
    FUZZ_EXPECT(second.deleted.size() <= marked.size());
    for (std::size_t i = 0; i < second.deleted.size(); ++i) {
        FUZZ_EXPECT(second.deleted[i] == marked[i]);
    }
    return 0;
}
