#pragma once

#include <algorithm>
#include <cstddef>

#include "settings/profile_file.h"

// How much text each field of the settings dialog takes: as much as comes back unchanged from the settings file.
namespace settings {

// Paths and names: the longest path the file pickers give (MAX_PATH less its terminator).
constexpr std::size_t kFieldLimit = 259;
// The password is stored as two letters per byte.
constexpr std::size_t kPasswordLimit = std::min(kFieldLimit, profile_file::kMaxStringBytes / 2);

static_assert(kFieldLimit <= profile_file::kMaxStringBytes, "a saved field must read back whole");

}  // namespace settings
