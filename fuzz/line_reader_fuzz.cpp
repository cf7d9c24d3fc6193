// The line reader fed arbitrary bytes in arbitrary chunks, through the scripted socket layer. Its lines are
// compared with a plain model: the stream of every byte received, split at LF, where a CR right before the LF
// belongs to the line end and any other CR is data, zero bytes read as blanks, and every line (the unfinished
// one too) cut to the length the reader keeps.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_expect.h"
#include "net/line_socket.h"
#include "tests/support/scripted_socket_io.h"

namespace {

struct Expected {
    std::vector<std::string> lines;  // complete lines, in order
    std::string rest;                // the unfinished line when the stream ended
};

Expected model(const std::vector<std::string>& chunks, std::size_t keep) {
    std::string stream;
    for (const std::string& chunk : chunks) {
        if (chunk.empty()) {
            break;  // a receive of 0: the server closed
        }
        stream += chunk;
    }
    Expected expected;
    std::string line;
    for (char c : stream) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            expected.lines.push_back(line.substr(0, keep));
            line.clear();
        } else {
            line += c == '\0' ? ' ' : c;
        }
    }
    expected.rest = line.substr(0, keep);
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

    const Expected expected = model(chunks, static_cast<std::size_t>(fixedBuffer ? maxChars : net::kMaxLineChars));
    std::vector<std::string> lines;
    std::string rest;
    if (fixedBuffer) {
        // Zero-ended text: a zero byte in a line would cut it short, so the reader must not hand one out.
        std::vector<char> buffer(static_cast<std::size_t>(maxChars) + 1, 'x');
        bool ok = true;
        while (ok) {
            ok = socket.readLine(buffer.data(), maxChars);
            const std::string line(buffer.data());
            FUZZ_EXPECT(line.size() <= static_cast<std::size_t>(maxChars));
            if (ok) {
                lines.push_back(line);
            } else {
                rest = line;
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
    FUZZ_EXPECT(io.closeCalls == 1);
    return 0;
}
