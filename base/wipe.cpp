#include "base/wipe.h"

namespace base {

void wipeBytes(void* data, std::size_t size) {
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = 0;
    }
}

void wipeString(std::string& text) {
    // The capacity, not only the size: a shorter value stored earlier may have left a longer one behind it.
    text.resize(text.capacity());
    wipeBytes(&text[0], text.size());
    text.clear();
}

}  // namespace base
