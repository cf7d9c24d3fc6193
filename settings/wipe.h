#pragma once

#include <cstddef>
#include <string>

// Overwrites memory that held a password before it is given back, in a way the compiler may not drop.
namespace settings {

inline void wipeBytes(void* bytes, std::size_t count) {
    volatile char* p = static_cast<volatile char*>(bytes);
    for (std::size_t i = 0; i < count; ++i) {
        p[i] = 0;
    }
}

inline void wipeText(std::string& text) {
    wipeBytes(text.data(), text.size());
    text.clear();
}

}  // namespace settings
