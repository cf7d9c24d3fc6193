#include "net/apop_digest.h"

#include "net/md5.h"
#include "base/wipe.h"

namespace net {

std::string apopDigest(const std::string& timestamp, const std::string& password) {
    std::string input = timestamp + password;
    unsigned char digest[16];
    Md5Context context;
    context.init();
    context.update(input.data(), input.size());
    context.final(digest);
    wipeString(input);  // it holds the password

    static const char kHexDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : digest) {
        text += kHexDigits[byte >> 4];
        text += kHexDigits[byte & 0x0F];
    }
    return text;
}

}  // namespace net
