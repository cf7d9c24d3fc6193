#pragma once

#if !defined(_WIN32)
#include <mutex>
#endif

// A plain mutual-exclusion lock, and its scope guard. On Windows it is a slim reader/writer lock taken
// exclusively, so the exe carries no threads library of its own; elsewhere a std::mutex (which the thread
// sanitizer knows).
namespace base {

class Lock {
public:
    Lock() = default;
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void lock();
    void unlock();

private:
#if defined(_WIN32)
    void* slim = nullptr;  // an SRWLOCK: one pointer, zero when free (SRWLOCK_INIT)
#else
    std::mutex mutex;
#endif
};

// Holds a lock for its scope.
class Locked {
public:
    explicit Locked(Lock& lock) : held(lock) {
        held.lock();
    }
    ~Locked() {
        held.unlock();
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    Lock& held;
};

}  // namespace base
