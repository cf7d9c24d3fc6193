#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace mail {

// How many commands, and how many of their bytes, may be sent ahead of their replies. Both sides stay far
// below any socket buffer: the commands in flight always fit in the server's receive buffer, so the server
// can always take them while the client is busy reading replies, however large those replies are, and the
// client reads every reply before it sends more than the window allows.
struct PipelineLimits {
    std::size_t maxCommands = 128;
    std::size_t maxBytes = 2048;
};

// Sends the text of several commands (each ended by CR LF) at once; false when sending failed.
using SendCommands = std::function<bool(const std::string& text)>;
// What to do after one reply was handled.
enum class AfterReply {
    Next,   // go on
    Drain,  // send nothing more, but still read the replies of the commands already sent
    End,    // stop at once (the replies of commands already sent stay unread)
};
// Reads and handles the reply to command `index`.
using HandleReply = std::function<AfterReply(std::size_t index)>;

// Sends `commands` in windows and hands each reply, in order, to `handleReply`. Once half of a window has been
// answered, the commands that fit again are sent before the next reply is read. Returns the number of replies
// handled; a failed send or AfterReply::End ends the run there, AfterReply::Drain once the replies of the
// commands sent so far are handled.
std::size_t runPipelined(const std::vector<std::string>& commands,
                         const PipelineLimits& limits,
                         const SendCommands& send,
                         const HandleReply& handleReply);

}  // namespace mail
