#include "mime/body_preview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct PreviewCase {
    const char* name;
    std::string contentType;
    std::string encoding;
    std::vector<std::string> lines;
    int headCount;
    std::string expected;  // Shift_JIS: the Japanese literals compile to code page 932
};

void expectPreviews(const PreviewCase* begin, const PreviewCase* end) {
    for (const PreviewCase* c = begin; c != end; ++c) {
        EXPECT_EQ(c->expected, mail::previewBody(c->contentType, c->encoding, c->lines, c->headCount)) << c->name;
    }
}

// An '=' in each of the last places of a line, where the decoder can no longer read two bytes ahead.
TEST(PreviewBody, DecodesQuotedPrintableUpToTheLineEnd) {
    const std::string qp = "quoted-printable";
    const std::string utf8 = "text/plain; charset=utf-8";
    const PreviewCase cases[] = {
        {"escape at the very end", "", qp, {"ab=41"}, 5, "abA "},
        {"one hex digit after the last =", "", qp, {"ab=4", "c"}, 5, "ab=4 c "},
        {"one letter after the last =", "", qp, {"ab=x", "c"}, 5, "ab=x c "},
        {"escape that is no hex", "", qp, {"=G1=41", "c"}, 5, "=G1A c "},
        {"soft break", "", qp, {"ab=", "cd"}, 5, "abcd "},
        {"soft break before blanks added on the way", "", qp, {"ab= \t", "cd"}, 5, "abcd "},
        {"a line of one =", "", qp, {"=", "cd"}, 5, "cd "},
        {"escaped carriage return before the line end", "", qp, {"a=0D", "b"}, 5, "a b "},
        {"UTF-8 split by a soft break", utf8, qp, {"=E4=BC=", "=9A=E8=AD=B0"}, 5, "会議 "},
        {"UTF-8 between ASCII runs",
         utf8,
         qp,
         {"Meeting notes: =E4=BC=9A=E8=AD=B0 for 2026-12-07"},
         5,
         "Meeting notes: 会議 for 2026-12-07 "},
    };
    expectPreviews(std::begin(cases), std::end(cases));
}

// Empty lines and carriage returns are dropped wherever they fall, lines longer and shorter than eight bytes.
TEST(PreviewBody, KeepsTheFirstNonEmptyLines) {
    const std::vector<std::string> lines = {"", "first line of the body", "\r", "", "2nd", "x\r", "the fourth one"};
    const PreviewCase cases[] = {
        {"all", "", "7bit", lines, 10, "first line of the body 2nd x the fourth one "},
        {"three", "", "7bit", lines, 3, "first line of the body 2nd x "},
        {"one", "", "7bit", lines, 1, "first line of the body "},
        {"none", "", "7bit", lines, 0, ""},
        {"no empty line to drop", "", "", {"abcdefgh", "ijklmnopq"}, 5, "abcdefgh ijklmnopq "},
        {"Base64 across lines", "text/plain; charset=utf-8", "base64", {"5Lya6K2w", "CmFi", "Yw=="}, 5, "会議 abc "},
    };
    expectPreviews(std::begin(cases), std::end(cases));
}

}  // namespace
