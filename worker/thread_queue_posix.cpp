#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "worker/thread_queue.h"

// Threads and per-thread queues on POSIX systems. A thread has a queue from prepareQueue until it ends;
// like a Windows thread queue, posting to a thread without a queue fails and nothing is kept for later.
namespace worker::thread_queue {

namespace {

struct PosixThread {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable endCondition;
    bool finished = false;
};

std::mutex registryMutex;
std::unordered_map<std::uint32_t, std::deque<ThreadMessage>> queues;  // guarded by registryMutex
std::atomic<std::uint32_t> lastThreadId{0};

void dropOwnQueue() {
    std::lock_guard<std::mutex> lock(registryMutex);
    queues.erase(currentThreadId());
}

}  // namespace

Handle startThread(Entry entry, void* argument) {
    auto* posixThread = new PosixThread;
    try {
        posixThread->thread = std::thread([posixThread, entry, argument] {
            entry(argument);
            dropOwnQueue();
            std::lock_guard<std::mutex> lock(posixThread->mutex);
            posixThread->finished = true;
            posixThread->endCondition.notify_all();
        });
    } catch (const std::system_error&) {
        delete posixThread;
        return nullptr;
    }
    return posixThread;
}

std::uint32_t currentThreadId() {
    // Identifiers are handed out once per thread and never reused, so a stale one reaches no new thread.
    thread_local const std::uint32_t ownId = ++lastThreadId;
    return ownId;
}

void prepareQueue() {
    std::lock_guard<std::mutex> lock(registryMutex);
    queues[currentThreadId()];
}

bool post(std::uint32_t threadId, const ThreadMessage& message) {
    std::lock_guard<std::mutex> lock(registryMutex);
    auto found = queues.find(threadId);
    if (found == queues.end()) {
        return false;
    }
    found->second.push_back(message);
    return true;
}

bool take(ThreadMessage& message) {
    std::lock_guard<std::mutex> lock(registryMutex);
    auto found = queues.find(currentThreadId());
    if (found == queues.end() || found->second.empty()) {
        return false;
    }
    message = found->second.front();
    found->second.pop_front();
    return true;
}

bool waitForEnd(Handle handle, unsigned long timeoutMs) {
    auto* posixThread = static_cast<PosixThread*>(handle);
    {
        std::unique_lock<std::mutex> lock(posixThread->mutex);
        auto isFinished = [posixThread] { return posixThread->finished; };
        if (timeoutMs == kInfinite) {
            posixThread->endCondition.wait(lock, isFinished);
        } else if (!posixThread->endCondition.wait_for(lock, std::chrono::milliseconds(timeoutMs), isFinished)) {
            return false;
        }
    }
    if (posixThread->thread.joinable()) {
        posixThread->thread.join();
    }
    return true;
}

void closeHandle(Handle handle) {
    auto* posixThread = static_cast<PosixThread*>(handle);
    if (posixThread->thread.joinable()) {
        posixThread->thread.join();
    }
    delete posixThread;
}

}  // namespace worker::thread_queue
