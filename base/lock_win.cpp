#include <windows.h>

#include "base/lock.h"

namespace base {

static_assert(sizeof(SRWLOCK) == sizeof(void*), "an SRWLOCK is one pointer");

void Lock::lock() {
    AcquireSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&slim));
}

void Lock::unlock() {
    ReleaseSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&slim));
}

}  // namespace base
