#pragma once

#include <cstdint>

// The platform's threads and per-thread message queues, as the worker thread needs them.
// thread_queue_win.cpp maps these onto the C runtime's thread start and the thread message queue of
// Windows; thread_queue_posix.cpp onto std::thread and a mutex-guarded queue per thread.
namespace worker {

// One message taken from a thread's queue (the fields of a Windows MSG that a worker looks at).
struct ThreadMessage {
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// The quit message (WM_QUIT on Windows): its wParam is the thread's exit code.
constexpr unsigned kThreadQuit = 18;

// A timeout that never expires (INFINITE on Windows).
constexpr unsigned long kInfinite = 0xFFFFFFFFul;

namespace thread_queue {

// Opaque handle of a started thread; null when there is none.
using Handle = void*;
using Entry = unsigned (*)(void* argument);

// Starts a thread with the default stack size that runs entry(argument); null when it cannot be started.
Handle startThread(Entry entry, void* argument);

// The calling thread's identifier; never 0.
std::uint32_t currentThreadId();

// Gives the calling thread its message queue, so that messages posted to it from now on are kept.
void prepareQueue();

// Posts a message to the queue of the thread with the given identifier; false when it has no queue.
bool post(std::uint32_t threadId, const ThreadMessage& message);

// Removes the next message from the calling thread's queue without waiting; false when there is none.
bool take(ThreadMessage& message);

// Waits until the thread has ended; false only when the timeout expired first.
bool waitForEnd(Handle handle, unsigned long timeoutMs);

// Releases the handle of a thread that has ended.
void closeHandle(Handle handle);

}  // namespace thread_queue
}  // namespace worker
