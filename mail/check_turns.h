#pragma once

#include <deque>
#include <functional>
#include <vector>

namespace mail {

// At most this many mailboxes are checked at once; the others wait their turn.
constexpr int kMaxChecksAtOnce = 4;

// Which mailboxes are being checked and which wait their turn: at most `maxAtOnce` at once, in the order they were
// asked for, and no mailbox twice (running or waiting). Mailboxes are numbered by the owner. Owner thread only.
class CheckTurns {
public:
    explicit CheckTurns(int maxAtOnce = kMaxChecksAtOnce);

    // Adds the mailbox to those waiting; false when it already runs or waits.
    bool add(int mailbox);
    // Starts waiting mailboxes, first come first, while fewer than the most run. `start` returns false when the
    // check could not start; the mailbox then waits no longer.
    void startWhatFits(const std::function<bool(int mailbox)>& start);
    // The mailbox's check has ended: its place is free.
    void ended(int mailbox);
    // Nothing waits any more (a stop: those running end on their own).
    void dropWaiting();

    bool running(int mailbox) const;
    bool waiting(int mailbox) const;
    // Nothing runs and nothing waits.
    bool idle() const;
    int runningCount() const;

private:
    int maxAtOnce;
    std::vector<int> now;
    std::deque<int> queue;
};

}  // namespace mail
