#pragma once

#include <cstddef>
#include <string>

// Overwrites secrets (a password, a command that carried one) before their memory is let go. The writes go
// through a volatile pointer, so the compiler cannot drop them as stores nobody reads.
namespace net {

void wipeBytes(void* data, std::size_t size);
// Zeroes every byte of the text (its whole capacity) and leaves it empty.
void wipeString(std::string& text);

}  // namespace net
