#pragma once

#include <string>

// What the program leaves behind in the memory it gives back. An executable linked with this probe gets its own
// global operator new and delete, which note each block's size and fill each new block with a pattern (so that
// nothing found in it can come from an earlier block); while a probe is armed, every block given back
// through operator delete is searched for a secret before it goes. A password wiped before its block is let go
// leaves nothing to find; one left in a block (a reallocation, a copy nobody wiped, a wipe that an exception
// skipped) is counted.
namespace testenv {

class FreedBlockProbe {
public:
    // Arms the probe for `secret` (kept in a fixed buffer of the probe's own, not on the heap). One at a time.
    explicit FreedBlockProbe(const std::string& secret);
    // Disarms it.
    ~FreedBlockProbe();

    FreedBlockProbe(const FreedBlockProbe&) = delete;
    FreedBlockProbe& operator=(const FreedBlockProbe&) = delete;

    // Blocks given back while armed, and those of them that still held the secret.
    int blocksFreed() const;
    int blocksHoldingSecret() const;
};

}  // namespace testenv
