#include "settings/protected_secret.h"

// No per-user secret store that a headless build can count on: secrets stay in the forms older versions read.
namespace settings {

bool secretProtectionAvailable() {
    return false;
}

std::optional<std::string> protectSecret(const std::string&) {
    return std::nullopt;
}

std::optional<std::string> unprotectSecret(const std::string&) {
    return std::nullopt;
}

}  // namespace settings
