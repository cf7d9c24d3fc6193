#include "oauth/token_response.h"

#include <nlohmann/json.hpp>

#include <climits>

#include "base/wipe.h"

namespace oauth {

namespace {

// Keeps the string and number members at the top level of one object; anything nested is skipped.
class TopLevelMembers : public nlohmann::json_sax<nlohmann::json> {
public:
    explicit TopLevelMembers(TokenResponse& response) : response(response) {
    }

    bool null() override {
        return true;
    }
    bool boolean(bool) override {
        return true;
    }
    bool number_integer(number_integer_t value) override {
        return number(static_cast<long long>(value));
    }
    bool number_unsigned(number_unsigned_t value) override {
        return number(value > static_cast<number_unsigned_t>(LLONG_MAX) ? LLONG_MAX : static_cast<long long>(value));
    }
    bool number_float(number_float_t value, const string_t&) override {
        return number(value > 0 && value < 1e15 ? static_cast<long long>(value) : 0);
    }
    bool string(string_t& value) override {
        if (depth == 1) {
            if (member == "access_token") {
                response.accessToken = std::move(value);
            } else if (member == "refresh_token") {
                response.refreshToken = std::move(value);
            } else if (member == "error") {
                response.error = std::move(value);
                hasError = true;
            } else if (member == "expires_in") {
                // Some servers send the number as a string.
                long long seconds = 0;
                for (char c : value) {
                    if (c < '0' || c > '9' || seconds > 1000000000) {
                        return true;
                    }
                    seconds = seconds * 10 + (c - '0');
                }
                response.expiresInSeconds = seconds;
            }
        }
        return true;
    }
    bool binary(binary_t&) override {
        return true;
    }
    bool start_object(std::size_t) override {
        if (depth == 0) {
            sawObject = true;
        }
        ++depth;
        return true;
    }
    bool key(string_t& name) override {
        if (depth == 1) {
            member = name;
        }
        return true;
    }
    bool end_object() override {
        --depth;
        return true;
    }
    bool start_array(std::size_t) override {
        ++depth;
        return true;
    }
    bool end_array() override {
        --depth;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

    bool sawObject = false;
    bool hasError = false;

private:
    bool number(long long value) {
        if (depth == 1 && member == "expires_in") {
            response.expiresInSeconds = value;
        }
        return true;
    }

    TokenResponse& response;
    int depth = 0;
    std::string member;  // the name of the top-level member being read
};

}  // namespace

TokenResponse readTokenResponse(int httpStatus, std::string_view body) {
    TokenResponse response;
    if (body.size() > kMaxTokenResponseBytes) {
        return response;
    }
    TopLevelMembers members(response);
    const bool parsed =
        nlohmann::json::sax_parse(body.begin(), body.end(), &members, nlohmann::detail::input_format_t::json, true);
    if (!parsed || !members.sawObject || members.hasError || httpStatus < 200 || httpStatus > 299) {
        // Tokens in an answer that is not a clean success are not used; they leave no copy behind.
        base::wipeString(response.accessToken);
        base::wipeString(response.refreshToken);
        response.outcome = !parsed || !members.sawObject ? TokenOutcome::NotJson
                           : members.hasError            ? TokenOutcome::Refused
                                                         : TokenOutcome::NoAccessToken;
        return response;
    }
    response.outcome = response.accessToken.empty() ? TokenOutcome::NoAccessToken : TokenOutcome::Issued;
    return response;
}

}  // namespace oauth
