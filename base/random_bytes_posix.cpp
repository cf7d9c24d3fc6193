#include "base/random_bytes.h"

#include <sys/random.h>

#include <cerrno>

namespace base {

bool randomBytes(void* out, std::size_t size) {
    unsigned char* at = static_cast<unsigned char*>(out);
    while (size > 0) {
        ssize_t got = getrandom(at, size, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        at += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace base
