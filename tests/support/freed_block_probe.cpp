#include "tests/support/freed_block_probe.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Each block carries its size in front of it; the header keeps the block as aligned as malloc's.
constexpr std::size_t kHeader =
    alignof(std::max_align_t) < sizeof(std::size_t) ? sizeof(std::size_t) : alignof(std::max_align_t);
constexpr std::size_t kMaxSecret = 2048;

char secretBytes[kMaxSecret];
std::size_t secretSize = 0;
std::atomic<bool> armed{false};
std::atomic<int> freed{0};
std::atomic<int> holding{0};

void* allocate(std::size_t size) noexcept {
    void* base = std::malloc(size + kHeader);
    if (base == nullptr) {
        return nullptr;
    }
    std::memcpy(base, &size, sizeof size);
    // Filled, so that what an earlier block left in this memory can never be taken for what this one held.
    char* block = static_cast<char*>(base) + kHeader;
    std::memset(block, 0xA5, size);
    return block;
}

bool holdsSecret(const char* block, std::size_t size) {
    if (secretSize == 0 || size < secretSize) {
        return false;
    }
    for (std::size_t at = 0; at + secretSize <= size; ++at) {
        if (block[at] == secretBytes[0] && std::memcmp(block + at, secretBytes, secretSize) == 0) {
            return true;
        }
    }
    return false;
}

void release(void* block) noexcept {
    if (block == nullptr) {
        return;
    }
    char* base = static_cast<char*>(block) - kHeader;
    if (armed.load()) {
        std::size_t size = 0;
        std::memcpy(&size, base, sizeof size);
        freed.fetch_add(1);
        if (holdsSecret(static_cast<const char*>(block), size)) {
            holding.fetch_add(1);
        }
    }
    std::free(base);
}

void* allocateOrThrow(std::size_t size) {
    void* block = allocate(size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

}  // namespace

void* operator new(std::size_t size) {
    return allocateOrThrow(size);
}

void* operator new[](std::size_t size) {
    return allocateOrThrow(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}

void operator delete(void* block) noexcept {
    release(block);
}

void operator delete[](void* block) noexcept {
    release(block);
}

void operator delete(void* block, std::size_t) noexcept {
    release(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    release(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    release(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    release(block);
}

namespace testenv {

FreedBlockProbe::FreedBlockProbe(const std::string& secret) {
    secretSize = secret.size() < kMaxSecret ? secret.size() : kMaxSecret;
    std::memcpy(secretBytes, secret.data(), secretSize);
    freed.store(0);
    holding.store(0);
    armed.store(true);
}

FreedBlockProbe::~FreedBlockProbe() {
    armed.store(false);
    std::memset(secretBytes, 0, sizeof secretBytes);
    secretSize = 0;
}

int FreedBlockProbe::blocksFreed() const {
    return freed.load();
}

int FreedBlockProbe::blocksHoldingSecret() const {
    return holding.load();
}

}  // namespace testenv
