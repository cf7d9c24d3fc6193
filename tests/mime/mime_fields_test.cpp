#include "mime/mime_fields.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// The quick multipart test must answer as the media type read in full does, whatever blanks, letter case and
// parameters surround it.
TEST(MimeFields, MultipartIsToldAsTheMediaTypeSaysIt) {
    const std::string pieces[] = {"multipart/", "Multipart/", "MULTI", "part/",        "multi", "mixed", "text/plain",
                                  " ",          "\t",         ";",     "; boundary=x", "/",     "m",     "\r\n "};
    std::mt19937 random(7);
    for (int round = 0; round < 5000; ++round) {
        std::string value;
        for (unsigned n = random() % 5; n > 0; --n) {
            value += pieces[random() % std::size(pieces)];
        }
        EXPECT_EQ(mime::mediaTypeOf(value).compare(0, 10, "multipart/") == 0, mime::isMultipart(value)) << value;
    }
}

}  // namespace
