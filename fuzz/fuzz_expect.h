#pragma once

#include <cstdio>
#include <cstdlib>

// A property that every input must keep. A broken one aborts, so libFuzzer saves the input as a crash.
#define FUZZ_EXPECT(condition)                                                                    \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)
