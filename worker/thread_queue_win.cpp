#include <windows.h>

#include <process.h>

#include <new>

#include "worker/thread_queue.h"

// Threads and thread message queues of Windows. Threads start through the C runtime so that its per-thread
// state is set up and released with them.
namespace worker::thread_queue {

namespace {

struct StartRequest {
    Entry entry;
    void* argument;
};

unsigned __stdcall threadMain(void* request) {
    StartRequest start = *static_cast<StartRequest*>(request);
    delete static_cast<StartRequest*>(request);
    return start.entry(start.argument);
}

}  // namespace

Handle startThread(Entry entry, void* argument) {
    auto* request = new (std::nothrow) StartRequest{entry, argument};
    if (request == nullptr) {
        return nullptr;
    }
    unsigned threadId = 0;
    uintptr_t handle = _beginthreadex(nullptr, 0, threadMain, request, 0, &threadId);
    if (handle == 0) {
        delete request;
        return nullptr;
    }
    return reinterpret_cast<Handle>(handle);
}

std::uint32_t currentThreadId() {
    return GetCurrentThreadId();
}

void prepareQueue() {
    // A thread gets its message queue with its first call into the window system; peeking creates it.
    MSG message;
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
}

bool post(std::uint32_t threadId, const ThreadMessage& message) {
    return PostThreadMessageA(threadId, message.message, message.wParam, message.lParam) != FALSE;
}

bool take(ThreadMessage& message) {
    MSG taken;
    if (!PeekMessageA(&taken, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    message.message = taken.message;
    message.wParam = taken.wParam;
    message.lParam = taken.lParam;
    return true;
}

bool waitForEnd(Handle handle, unsigned long timeoutMs) {
    return WaitForSingleObject(static_cast<HANDLE>(handle), timeoutMs) != WAIT_TIMEOUT;
}

void closeHandle(Handle handle) {
    CloseHandle(static_cast<HANDLE>(handle));
}

}  // namespace worker::thread_queue
