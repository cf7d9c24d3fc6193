#include "net/apop_digest.h"

#include "base/hex_digits.h"
#include "base/wipe.h"
#include "net/md5.h"

namespace net {

std::string apopDigest(const std::string& timestamp, const std::string& password) {
    // It holds the password: built in one block of its final size (no copy left behind by a reallocation) and
    // wiped however this ends.
    std::string input;
    base::WipeOnExit wipeInput(input);
    input.reserve(timestamp.size() + password.size());
    input += timestamp;
    input += password;
    unsigned char digest[16];
    Md5Context context;
    context.init();
    context.update(input.data(), input.size());
    context.final(digest);

    std::string text;
    base::appendHex(text, digest, sizeof digest);
    return text;
}

}  // namespace net
