#pragma once

#include <optional>
#include <string_view>

// The login method the user chose (the Auth key), apart from how a login is then chosen: the settings know this
// much and nothing of the mechanisms.
namespace mail {

enum class AuthMethod {
    FromApopKey,  // no Auth key: APOP when the APOP key says so, else USER/PASS, exactly as before it existed
    Auto,         // the strongest password login the server offers that keeps the password safe
    User,
    Apop,
    Plain,
    CramMd5,
    ScramSha256,
    OAuth2,   // an access token with XOAUTH2, or OAUTHBEARER where only that is offered
    Unknown,  // the Auth key names no method: nothing is connected until the user picks one
};

// The method the Auth key names ("" for none; any letter case), or nothing for a value no method has.
std::optional<AuthMethod> authMethodNamed(std::string_view text);
// The same, with Unknown for a value no method has.
AuthMethod authMethodOfKey(std::string_view text);
// The Auth key's value for the method ("" for FromApopKey).
const char* authMethodKeyValue(AuthMethod method);

}  // namespace mail
