#include "base/lock.h"

namespace base {

void Lock::lock() {
    mutex.lock();
}

void Lock::unlock() {
    mutex.unlock();
}

}  // namespace base
