#include "mail/pipeline_window.h"

#include <deque>

namespace mail {

std::size_t runPipelined(const std::vector<std::string>& commands,
                         const PipelineLimits& limits,
                         const SendCommands& send,
                         const HandleReply& handleReply) {
    std::size_t nextToSend = 0;
    std::size_t bytesInFlight = 0;
    std::deque<std::size_t> lengthsInFlight;
    std::string batch;
    bool draining = false;
    for (std::size_t replied = 0; replied < commands.size(); ++replied) {
        if (draining && lengthsInFlight.empty()) {
            return replied;
        }
        // Refill the window once half of it has been answered, so that commands go out in few sends; a command
        // longer than the byte bound still goes alone.
        batch.clear();
        const bool halfAnswered =
            !draining && lengthsInFlight.size() <= limits.maxCommands / 2 && bytesInFlight <= limits.maxBytes / 2;
        while (halfAnswered && nextToSend < commands.size() && lengthsInFlight.size() < limits.maxCommands) {
            const std::size_t length = commands[nextToSend].size() + 2;
            if (!lengthsInFlight.empty() && bytesInFlight + length > limits.maxBytes) {
                break;
            }
            batch += commands[nextToSend];
            batch += "\r\n";
            bytesInFlight += length;
            lengthsInFlight.push_back(length);
            ++nextToSend;
        }
        if (!batch.empty() && !send(batch)) {
            return replied;
        }
        const AfterReply after = handleReply(replied);
        if (after == AfterReply::End) {
            return replied + 1;
        }
        draining = draining || after == AfterReply::Drain;
        bytesInFlight -= lengthsInFlight.front();
        lengthsInFlight.pop_front();
    }
    return commands.size();
}

}  // namespace mail
