// STAT over the scripted socket layer: the server's reply is arbitrary bytes in arbitrary chunks.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <regex>
#include <string>

#include "fuzz/fuzz_expect.h"
#include "net/pop3_session.h"
#include "tests/support/scripted_socket_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    testenv::ScriptedSocketIo io;
    io.chunks.push_back("+OK ready\r\n");
    io.endResult = input.ConsumeBool() ? -1 : 0;
    std::string reply;
    while (input.remaining_bytes() > 0) {
        std::string chunk = input.ConsumeBytesAsString(input.ConsumeIntegralInRange<std::size_t>(1, 1200));
        reply += chunk;
        io.chunks.push_back(chunk);
    }
    net::Pop3Session session(net::kAfInet, io);
    FUZZ_EXPECT(session.create(net::kSockStream, 0));
    FUZZ_EXPECT(session.open("pop.example.jp", 110) != nullptr);
    const std::optional<net::StatResult> result = session.stat();
    FUZZ_EXPECT(io.sent == "STAT\r\n");

    // The reply line is the text up to the first LF (a CR right before it belongs to the line end), zero bytes
    // read as blanks, cut to the 1023 characters the reply buffer keeps.
    const std::size_t lf = reply.find('\n');
    const bool complete = lf != std::string::npos;
    std::string line = reply.substr(0, lf);
    if (complete && !line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    for (char& c : line) {
        if (c == '\0') {
            c = ' ';
        }
    }
    line = line.substr(0, 1023);
    if (!complete || line.empty() || line[0] == '-' || line.find(' ') == std::string::npos) {
        FUZZ_EXPECT(!result);
        return 0;
    }
    // The usual form, with numbers that fit: exactly those numbers.
    static const std::regex usual(R"(\+OK ([0-9]{1,9}) ([0-9]{1,9})( .*)?)");
    std::smatch match;
    if (std::regex_match(line, match, usual)) {
        FUZZ_EXPECT(result);
        FUZZ_EXPECT(result->count == std::stoi(match[1]));
        FUZZ_EXPECT(result->size == std::stoi(match[2]));
    }
    return 0;
}
