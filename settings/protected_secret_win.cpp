#include "settings/protected_secret.h"

#include <windows.h>

#include <wincrypt.h>

#include "base/base64.h"
#include "base/wipe.h"

namespace settings {

namespace {

// Ties the blobs to this program: another program of the same user must pass the same value to open them.
DATA_BLOB programEntropy() {
    static char kEntropy[] = "Quorvane secret";
    return DATA_BLOB{sizeof kEntropy - 1, reinterpret_cast<BYTE*>(kEntropy)};
}

}  // namespace

bool secretProtectionAvailable() {
    return true;
}

std::optional<std::string> protectSecret(const std::string& secret) {
    DATA_BLOB in{static_cast<DWORD>(secret.size()), reinterpret_cast<BYTE*>(const_cast<char*>(secret.data()))};
    DATA_BLOB entropy = programEntropy();
    DATA_BLOB out{};
    if (!CryptProtectData(&in, L"Quorvane", &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
        return std::nullopt;
    }
    std::string text = base::encodeBase64(std::string_view(reinterpret_cast<const char*>(out.pbData), out.cbData));
    LocalFree(out.pbData);
    return text;
}

std::optional<std::string> unprotectSecret(const std::string& protectedText) {
    std::optional<std::string> blob = base::decodeBase64(protectedText);
    if (!blob || blob->empty()) {
        return std::nullopt;
    }
    DATA_BLOB in{static_cast<DWORD>(blob->size()), reinterpret_cast<BYTE*>(blob->data())};
    DATA_BLOB entropy = programEntropy();
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
        return std::nullopt;
    }
    std::string secret(reinterpret_cast<const char*>(out.pbData), out.cbData);
    base::wipeBytes(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return secret;
}

}  // namespace settings
