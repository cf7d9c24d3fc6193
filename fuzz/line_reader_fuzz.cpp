// The line reader fed arbitrary bytes in arbitrary chunks, through the scripted socket layer. Its lines are
// compared with a plain model: the stream of what each receive handed out (each chunk up to its first zero
// byte), split at CR, LF and CR LF, where a LF that follows a CR ends nothing, also across chunks.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_expect.h"
#include "net/line_socket.h"
#include "tests/support/scripted_socket_io.h"

namespace {

constexpr int kReceiveSize = 1023;  // what the line socket asks for in one receive

struct Expected {
    std::vector<std::string> lines;  // complete lines, in order
    std::string rest;                // the unfinished line when the stream ended
};

Expected model(const std::vector<std::string>& chunks) {
    std::string stream;
    for (const std::string& chunk : chunks) {
        if (chunk.empty()) {
            break;  // a receive of 0: the server closed
        }
        // A chunk bigger than one receive comes in several receives, each a zero-ended text of its own.
        for (std::size_t at = 0; at < chunk.size(); at += kReceiveSize) {
            std::string piece = chunk.substr(at, kReceiveSize);
            stream += piece.substr(0, piece.find('\0'));
        }
    }
    Expected expected;
    bool afterCR = false;
    for (char c : stream) {
        if (afterCR && c == '\n') {
            afterCR = false;
            continue;
        }
        afterCR = c == '\r';
        if (c == '\r' || c == '\n') {
            expected.lines.push_back(expected.rest);
            expected.rest.clear();
        } else {
            expected.rest += c;
        }
    }
    return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool fixedBuffer = input.ConsumeBool();
    const int maxChars = input.ConsumeIntegralInRange<int>(0, 1100);
    const bool broken = input.ConsumeBool();
    std::vector<std::string> chunks;
    while (input.remaining_bytes() > 0) {
        // Mostly short chunks, so that line ends fall across their borders; now and then a long one.
        const std::size_t length = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::size_t>(0, 8)
                                                       : input.ConsumeIntegralInRange<std::size_t>(0, 2100);
        chunks.push_back(input.ConsumeBytesAsString(length));
    }

    testenv::ScriptedSocketIo io;
    io.chunks.assign(chunks.begin(), chunks.end());
    io.endResult = broken ? -1 : 0;
    net::LineSocket socket(net::kAfInet, io);
    FUZZ_EXPECT(socket.create(net::kSockStream, 0));
    FUZZ_EXPECT(socket.connect(0x0100007F, 110));

    const Expected expected = model(chunks);
    std::vector<std::string> lines;
    std::string rest;
    if (fixedBuffer) {
        // A line longer than maxChars comes in parts: each full part gives false and leaves the connection open.
        std::vector<char> buffer(static_cast<std::size_t>(maxChars) + 1, 'x');
        std::string line;
        int reads = 0;
        for (;;) {
            const bool ok = socket.readLine(buffer.data(), maxChars);
            const std::string part(buffer.data());
            FUZZ_EXPECT(part.size() <= static_cast<std::size_t>(maxChars));
            FUZZ_EXPECT(part.find_first_of("\r\n") == std::string::npos);
            line += part;
            if (ok) {
                lines.push_back(line);
                line.clear();
            } else if (!socket.isConnected()) {
                rest = line;
                break;
            } else {
                FUZZ_EXPECT(part.size() == static_cast<std::size_t>(maxChars));
                // With no room at all the reader cannot get past the line's first byte: stop here.
                if (maxChars == 0 || ++reads > 100000) {
                    return 0;
                }
            }
        }
    } else {
        std::string line;
        while (socket.readLine(line)) {
            lines.push_back(line);
        }
        rest = line;
    }
    FUZZ_EXPECT(lines == expected.lines);
    FUZZ_EXPECT(rest == expected.rest);
    // Once the stream has ended every read fails at once.
    std::string after = "untouched";
    FUZZ_EXPECT(!socket.readLine(after));
    FUZZ_EXPECT(after == "untouched");
    FUZZ_EXPECT(!socket.isConnected());
    return 0;
}
