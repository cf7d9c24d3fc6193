#pragma once

#include <optional>
#include <string>
#include <string_view>

// The authorization servers the program knows by name, and what a custom one needs to be given.
namespace oauth {

struct Provider {
    std::string authorizeUrl;
    std::string tokenUrl;
    std::string scope;
    // Where its POP3 service is (for the dialog to fill in); empty for a custom provider.
    std::string server;
    int port = 0;
    // Google issues a refresh token only when asked for offline access with consent.
    bool asksOfflineAccess = false;
};

// "microsoft", "google" (any letter case), or nothing for any other name: a custom provider's endpoints come
// from the settings.
std::optional<Provider> knownProvider(std::string_view name);

}  // namespace oauth
