#pragma once

#include <cstddef>

// Bytes from the system's cryptographic random source, for nonces, PKCE verifiers and OAuth state values.
namespace base {

// False when the system could not give them (then the caller must not go on with a guessable value).
bool randomBytes(void* out, std::size_t size);

}  // namespace base
