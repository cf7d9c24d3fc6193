#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The server's capabilities as the reply to CAPA lists them (RFC 2449): one capability per line, its name
// first, then its arguments, separated by blanks. The one reader of CAPA: STLS, UIDL, PIPELINING and the SASL
// mechanisms are all looked up here.
namespace net {

class Capabilities {
public:
    // Adds one line of the CAPA reply (without its line end, already unstuffed). A line that begins with a blank
    // names nothing.
    void add(const std::string& line);
    // Whether a capability of that name was listed (names compare without regard to letter case).
    bool has(const std::string& name) const;
    // The arguments of a listed capability, e.g. {"PLAIN", "LOGIN"} for "SASL PLAIN LOGIN".
    std::vector<std::string> arguments(const std::string& name) const;

private:
    std::vector<std::vector<std::string>> lines;  // each listed line split at its blanks
};

// The most lines a CAPA reply may have; servers list a dozen or two. A longer reply is not read on.
constexpr std::size_t kMaxCapabilityLines = 256;

// Reads the lines of a multi-line reply after its positive first line, up to the terminating ".", undoing
// the dot-stuffing. `readLine` gives the next line or false when none can be read; then the result is nothing,
// as it is for a reply of more than kMaxCapabilityLines lines (read up to the first line too many).
std::optional<Capabilities> readCapabilities(const std::function<bool(std::string&)>& readLine);

}  // namespace net
