#pragma once

#include <atomic>
#include <cstdint>

#include "worker/thread_queue.h"

namespace worker {

// Base of an object that owns one background thread at a time. A derived class supplies the work as Run;
// the owner starts it with Start, asks it to end by posting the quit message (PostToThread with kThreadQuit,
// or Stop) and reaps it with Wait. The work notices the quit message only where it calls PollStop.
//
// Ending a run from PollStop (or Exit on the worker) throws a private stop exception that ThreadEntry
// catches: Run is unwound, nothing of it after that call takes effect, and OnThreadEnd then runs exactly
// once. Run must therefore let exceptions it does not know pass (no catch (...) that swallows them).
//
// A derived class whose Run uses its own members must stop and reap the thread in its own destructor:
// the base destructor does the same, but by then the derived part is already gone.
class WorkerThread {
public:
    WorkerThread();
    virtual ~WorkerThread();

    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Owner: starts a new run; false while a run is in progress or when no thread could be started.
    bool Start();
    // On the worker: ends the run now (does not return). Elsewhere: posts the quit message with the code.
    void Exit(int code);
    // Asks the worker to end, and when `wait` is set waits for it on the owner. Always true.
    bool Stop(int code, bool wait);
    // Owner: waits for the thread to end and reaps it; true when it has ended or there is none.
    bool Wait(unsigned long timeoutMs);
    // Owner: posts a message to the running worker; false when no run is in progress.
    bool PostToThread(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    // True when no run is in progress.
    bool IsEnded() const {
        return ended.load();
    }
    // The running worker's identifier; 0 before it has started and after it was reaped.
    std::uint32_t GetThreadId() const {
        return threadId.load();
    }

protected:
    // Worker, inside Run: removes at most one message from the queue into `message` and returns whether
    // it took one; the quit message ends the run right here. Other messages are discarded.
    bool PollStop(ThreadMessage& message);

    // The work, on the worker thread.
    virtual void Run() = 0;
    // Runs on the worker right before the thread ends, whether Run returned or the run was stopped.
    virtual void OnThreadEnd();

private:
    static unsigned ThreadEntry(void* object);
    bool OnOwnThread() const;

    thread_queue::Handle threadHandle = nullptr;  // written by the owner only
    std::atomic<std::uint32_t> threadId{0};
    std::atomic<bool> ended{true};
};

}  // namespace worker
