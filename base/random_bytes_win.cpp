#include "base/random_bytes.h"

#include <windows.h>

#include <bcrypt.h>

namespace base {

bool randomBytes(void* out, std::size_t size) {
    return BCryptGenRandom(nullptr, static_cast<PUCHAR>(out), static_cast<ULONG>(size),
                           BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}

}  // namespace base
