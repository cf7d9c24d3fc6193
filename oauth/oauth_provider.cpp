#include "oauth/oauth_provider.h"

#include "base/ascii.h"

namespace oauth {

std::optional<Provider> knownProvider(std::string_view name) {
    if (base::equalsNoCase(name, "microsoft")) {
        // The common tenant serves both work or school accounts and personal Outlook.com accounts.
        return Provider{"https://login.microsoftonline.com/common/oauth2/v2.0/authorize",
                        "https://login.microsoftonline.com/common/oauth2/v2.0/token",
                        "https://outlook.office.com/POP.AccessAsUser.All offline_access",
                        "outlook.office365.com",
                        995,
                        false};
    }
    if (base::equalsNoCase(name, "google")) {
        return Provider{"https://accounts.google.com/o/oauth2/v2/auth",
                        "https://oauth2.googleapis.com/token",
                        "https://mail.google.com/",
                        "pop.gmail.com",
                        995,
                        true};
    }
    return std::nullopt;
}

}  // namespace oauth
