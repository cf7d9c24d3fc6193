#include "mail/check_turns.h"

#include <algorithm>

namespace mail {

CheckTurns::CheckTurns(int maxAtOnce) : maxAtOnce(maxAtOnce < 1 ? 1 : maxAtOnce) {
}

bool CheckTurns::add(int mailbox) {
    if (running(mailbox) || waiting(mailbox)) {
        return false;
    }
    queue.push_back(mailbox);
    return true;
}

void CheckTurns::startWhatFits(const std::function<bool(int)>& start) {
    while (runningCount() < maxAtOnce && !queue.empty()) {
        const int next = queue.front();
        queue.pop_front();
        // Counted as running before it starts: its end may be told before start returns.
        now.push_back(next);
        if (!start(next)) {
            ended(next);
        }
    }
}

void CheckTurns::ended(int mailbox) {
    now.erase(std::remove(now.begin(), now.end(), mailbox), now.end());
}

void CheckTurns::dropWaiting() {
    queue.clear();
}

bool CheckTurns::running(int mailbox) const {
    return std::find(now.begin(), now.end(), mailbox) != now.end();
}

bool CheckTurns::waiting(int mailbox) const {
    return std::find(queue.begin(), queue.end(), mailbox) != queue.end();
}

bool CheckTurns::idle() const {
    return now.empty() && queue.empty();
}

int CheckTurns::runningCount() const {
    return static_cast<int>(now.size());
}

}  // namespace mail
