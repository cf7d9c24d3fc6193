#include "settings/protected_secret.h"

#include "base/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Where the system protects secrets: any bytes come back, the stored text never holds them, and a damaged blob
// opens to nothing. Elsewhere nothing is protected, so nothing may claim to be.
TEST(ProtectedSecret, RoundTripsAnyBytesAndRefusesDamagedBlobs) {
    const std::string secrets[] = {"", "x", "throwaway-pass", std::string("\0\xff\x80 zero", 8),
                                   std::string(3000, 'k')};
    for (const std::string& secret : secrets) {
        const std::optional<std::string> stored = settings::protectSecret(secret);
        ASSERT_EQ(stored.has_value(), settings::secretProtectionAvailable());
        if (!stored) {
            continue;
        }
        if (secret.size() > 3) {
            EXPECT_EQ(stored->find(secret), std::string::npos);
        }
        EXPECT_EQ(settings::unprotectSecret(*stored), secret);
        // A blob cut short (a file damaged or edited by hand) opens to nothing.
        const std::string blob = *base::decodeBase64(*stored);
        EXPECT_EQ(settings::unprotectSecret(base::encodeBase64(blob.substr(0, blob.size() / 2))), std::nullopt);
    }
    EXPECT_EQ(settings::unprotectSecret("not base64!"), std::nullopt);
    EXPECT_EQ(settings::unprotectSecret(""), std::nullopt);
}

}  // namespace
