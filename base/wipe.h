#pragma once

#include <cstddef>
#include <string>

// Overwrites secrets (a password, a command that carried one) before their memory is let go. The writes go
// through a volatile pointer, so the compiler cannot drop them as stores nobody reads. The one place for this:
// the settings and the dialogs use it too.
namespace base {

void wipeBytes(void* data, std::size_t size);
// Zeroes every byte of the text (its whole capacity) and leaves it empty.
void wipeString(std::string& text);

// Wipes a text when the scope ends, however it ends: a return, a failure thrown, or the worker's stop unwinding.
class WipeOnExit {
public:
    explicit WipeOnExit(std::string& text) : text(text) {
    }
    ~WipeOnExit() {
        wipeString(text);
    }

    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    std::string& text;
};

}  // namespace base
