// Ten mailboxes checked in one round (each on its own worker, at most four at once, the next started as one ends,
// as the application does) against the same ten checked one after another, alternately in one run. Every check is
// a first check (a new worker that has seen nothing). The ten mailboxes are the test peer's one mailbox (scripts/bench
// fills it with 1000 messages), reached through the latency proxy when QV_POP3_PORT names it.
//   mailboxes_bench [rounds] [mailboxes]      (defaults 3 and 10)
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "bench/check_runner.h"
#include "mail/check_turns.h"
#include "mail/mailbox_worker.h"
#include "settings/settings_store.h"

namespace {

// Keeps each mailbox's result and tells the owner when its check ended.
class Ends {
public:
    void ended(int mailbox) {
        std::lock_guard<std::mutex> lock(mutex);
        queue.push_back(mailbox);
        changed.notify_all();
    }
    int next() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return !queue.empty(); });
        const int mailbox = queue.front();
        queue.pop_front();
        return mailbox;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<int> queue;
};

class Host : public bench::ResultHost {
public:
    Host(Ends& ends, int mailbox) : ends(ends), mailbox(mailbox) {
    }
    void checkEnded() override {
        ends.ended(mailbox);
    }

private:
    Ends& ends;
    int mailbox;
};

struct Mailboxes {
    Mailboxes(const settings::Settings& settings, int count) : settings(settings) {
        for (int k = 0; k < count; ++k) {
            hosts.push_back(std::make_unique<Host>(ends, k));
            workers.push_back(std::make_unique<mail::MailboxWorker>(*hosts.back()));
        }
    }

    bool start(int k) {
        settings::Settings copy = settings;
        workers[static_cast<std::size_t>(k)]->prepare({}, settings::takeCheckSettings(copy, k));
        return workers[static_cast<std::size_t>(k)]->Start();
    }

    void reap(int k) {
        workers[static_cast<std::size_t>(k)]->Wait(worker::kInfinite);
    }

    // Every mailbox told mail waiting with the whole mailbox.
    bool allListed(long messages) const {
        return std::all_of(hosts.begin(), hosts.end(), [messages](const std::unique_ptr<Host>& host) {
            return host->last.first == testenv::kMailWaiting && host->last.second == messages;
        });
    }

    settings::Settings settings;
    Ends ends;
    std::vector<std::unique_ptr<Host>> hosts;
    std::vector<std::unique_ptr<mail::MailboxWorker>> workers;  // last: they stop before the hosts go
};

double oneAfterAnother(Mailboxes& boxes) {
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t k = 0; k < boxes.workers.size(); ++k) {
        if (boxes.start(static_cast<int>(k))) {
            boxes.ends.next();
            boxes.reap(static_cast<int>(k));
        }
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double oneRound(Mailboxes& boxes) {
    const auto start = std::chrono::steady_clock::now();
    mail::CheckTurns turns;
    for (std::size_t k = 0; k < boxes.workers.size(); ++k) {
        turns.add(static_cast<int>(k));
    }
    const auto startWhatFits = [&] { turns.startWhatFits([&](int k) { return boxes.start(k); }); };
    startWhatFits();
    while (!turns.idle()) {
        const int k = boxes.ends.next();
        boxes.reap(k);
        turns.ended(k);
        startWhatFits();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    const int count = argc > 2 ? std::atoi(argv[2]) : 10;
    settings::Settings settings;
    if (!bench::peerSettings(settings) || rounds < 1 || count < 1) {
        std::fprintf(stderr, "usage: mailboxes_bench [rounds] [mailboxes], under scripts/with-test-env\n");
        return 2;
    }
    long messages = -1;
    std::vector<double> round, sequential;
    for (int run = 0; run < rounds; ++run) {
        Mailboxes after(settings, count);
        sequential.push_back(oneAfterAnother(after));
        Mailboxes together(settings, count);
        round.push_back(oneRound(together));
        if (messages < 0) {
            messages = after.hosts.front()->last.second;
        }
        if (!after.allListed(messages) || !together.allListed(messages)) {
            std::fprintf(stderr, "run %d: a check did not list the whole mailbox\n", run);
            return 1;
        }
        std::printf("run %d: one round %.3f s, one after another %.3f s\n", run, round.back(), sequential.back());
    }
    std::printf(
        "%d mailboxes of %ld messages: one round %.3f s against %.3f s one after another (medians of %d): "
        "ratio %.3f\n",
        count, messages, median(round), median(sequential), rounds, median(round) / median(sequential));
    return 0;
}
