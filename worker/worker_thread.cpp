#include "worker/worker_thread.h"

namespace worker {

namespace {

// Thrown on the worker to end a run in the middle of Run; caught only in ThreadEntry.
struct StopRun {
    int code;
};

}  // namespace

WorkerThread::WorkerThread() = default;

WorkerThread::~WorkerThread() {
    Stop(0, true);
}

bool WorkerThread::Start() {
    if (threadHandle != nullptr) {
        if (!ended.load()) {
            return false;
        }
        Wait(kInfinite);
    }
    threadId.store(0);
    threadHandle = thread_queue::startThread(&WorkerThread::ThreadEntry, this);
    return threadHandle != nullptr;
}

unsigned WorkerThread::ThreadEntry(void* object) {
    auto* self = static_cast<WorkerThread*>(object);
    if (self == nullptr) {
        return 0;
    }
    // The queue must exist before the owner can see the run in progress, or its first post would be lost.
    thread_queue::prepareQueue();
    self->threadId.store(thread_queue::currentThreadId());
    self->ended.store(false);

    int code = 0;
    try {
        self->Run();
    } catch (const StopRun& stop) {
        code = stop.code;
    }
    self->ended.store(true);
    self->OnThreadEnd();
    return static_cast<unsigned>(code);
}

void WorkerThread::Exit(int code) {
    // The worker never reads threadHandle: the owner may still be storing it while the run begins.
    if (OnOwnThread()) {
        if (!ended.load()) {
            throw StopRun{code};
        }
        return;
    }
    if (threadHandle == nullptr) {
        return;
    }
    PostToThread(kThreadQuit, static_cast<std::uintptr_t>(code), 0);
}

bool WorkerThread::Stop(int code, bool wait) {
    if (OnOwnThread()) {
        Exit(code);
        return true;
    }
    if (threadHandle == nullptr) {
        return true;
    }
    PostToThread(kThreadQuit, static_cast<std::uintptr_t>(code), 0);
    if (wait) {
        Wait(kInfinite);
    }
    return true;
}

bool WorkerThread::Wait(unsigned long timeoutMs) {
    if (OnOwnThread()) {
        return false;
    }
    if (threadHandle == nullptr) {
        return true;
    }
    if (!thread_queue::waitForEnd(threadHandle, timeoutMs)) {
        return false;
    }
    thread_queue::closeHandle(threadHandle);
    threadHandle = nullptr;
    threadId.store(0);
    ended.store(true);
    return true;
}

bool WorkerThread::PostToThread(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (threadHandle == nullptr || ended.load()) {
        return false;
    }
    return thread_queue::post(threadId.load(), ThreadMessage{message, wParam, lParam});
}

bool WorkerThread::PollStop(ThreadMessage& message) {
    if (!thread_queue::take(message)) {
        return false;
    }
    if (message.message == kThreadQuit) {
        Exit(static_cast<int>(message.wParam));
    }
    return true;
}

void WorkerThread::OnThreadEnd() {
}

bool WorkerThread::OnOwnThread() const {
    std::uint32_t id = threadId.load();
    return id != 0 && id == thread_queue::currentThreadId();
}

}  // namespace worker
