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
        EXPECT_EQ(c->expected, mime::previewBody(c->contentType, c->encoding, c->lines, c->headCount)) << c->name;
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

// Lines of about a thousand characters (a server's lines are shorter than 1024), each holding whole copies of
// `piece`: `count` lines in all.
std::vector<std::string> linesOf(const std::string& piece, std::size_t count) {
    std::string line;
    while (line.size() + piece.size() <= 1000) {
        line += piece;
    }
    return std::vector<std::string>(count, line);
}

// What the preview makes of lines of HTML that hold no line-breaking element: one line, blanks for line ends.
std::string oneLineOf(const std::vector<std::string>& texts) {
    std::string out;
    for (const std::string& text : texts) {
        out += text + " ";
    }
    return out;
}

struct HostileCase {
    const char* name;
    std::string contentType;
    std::vector<std::string> lines;
    int headCount;
    std::string expected;
};

// Each body comes out right. That reading it costs time in proportion to its size, never its square, is the
// body_preview fuzz target's property (it compares an input with the same input repeated).
void expectPreview(const HostileCase& c) {
    EXPECT_EQ(c.expected, mime::previewBody(c.contentType, "", c.lines, c.headCount)) << c.name;
}

std::vector<std::string>& operator+=(std::vector<std::string>& lines, const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

std::vector<std::string> operator+(std::vector<std::string> lines, const std::vector<std::string>& more) {
    return lines += more;
}

// Two megabytes of HTML in the shapes that make a scan start again from every position.
TEST(PreviewBody, ReadsHostileHtmlRight) {
    const std::size_t n = 2000;
    const std::string html = "text/html";
    std::vector<std::string> amps = linesOf("&amp", n);
    amps.back() += ";";
    // The last reference, the only one closed, shows as '&'.
    std::vector<std::string> ampsShown = linesOf("&amp", n);
    ampsShown.back().replace(ampsShown.back().size() - 4, 4, "&");
    const HostileCase cases[] = {
        {"ampersands", html, linesOf("&", n), 2, oneLineOf(linesOf("&", n))},
        {"numeric reference openings", html, linesOf("&#x", n), 2, oneLineOf(linesOf("&#x", n))},
        {"references without a semicolon but the last", html, amps, 2, oneLineOf(ampsShown)},
        {"less-than signs", html, linesOf("<", n), 2, oneLineOf(linesOf("<", n))},
        {"comments never closed", html, std::vector<std::string>{"seen"} + linesOf("<!--", n), 2, "seen "},
        {"closed comments", html, linesOf("<!-- c -->", n) + std::vector<std::string>{"end"}, 2, "end "},
        {"scripts closed once at the end", html, linesOf("<script>", n) + std::vector<std::string>{"</script>after"}, 2,
         "after "},
        {"closing tags never closed", html, std::vector<std::string>{"seen"} + linesOf("</", n), 2, "seen "},
        {"a quote never closed in a tag", html, std::vector<std::string>{"seen"} + linesOf("<b x='>", n), 2, "seen "},
    };
    for (const HostileCase& c : cases) {
        expectPreview(c);
    }
}

// A hundred thousand lines, each its own paragraph, all of them wanted.
TEST(PreviewBody, KeepsAHundredThousandHtmlLines) {
    std::string expected;
    for (int i = 0; i < 100000; ++i) {
        expected += "< ";
    }
    expectPreview({"paragraphs", "text/html", std::vector<std::string>(100000, "<p>&lt;</p>"), 100000, expected});
}

// Multipart bodies nested as deep as the preview goes, each level opening with lines that almost are its
// delimiter, and a flat one with many parts before its text.
TEST(PreviewBody, FindsPartsBehindNearMissesAndManyParts) {
    const std::string tail(60, 'q');
    std::vector<std::string> nested;
    const int depth = 7;
    for (int level = 1; level <= depth; ++level) {
        const std::string boundary = "b" + std::to_string(level) + tail;
        nested += linesOf("--" + boundary.substr(0, boundary.size() - 1) + "x ", 500);
        nested.push_back("--" + boundary);
        nested.push_back(level < depth
                             ? "Content-Type: multipart/mixed; boundary=\"b" + std::to_string(level + 1) + tail + "\""
                             : "Content-Type: text/plain");
        nested.push_back("");
    }
    nested.push_back("deep text");
    for (int level = depth; level >= 1; --level) {
        nested.push_back("--b" + std::to_string(level) + tail + "--");
    }
    std::vector<std::string> flat;
    for (int i = 0; i < 50000; ++i) {
        flat += std::vector<std::string>{"--b", "Content-Type: image/png", "", "AAAA"};
    }
    flat += std::vector<std::string>{"--b", "Content-Type: text/plain", "", "found", "--b--"};
    const HostileCase cases[] = {
        {"nested", "multipart/mixed; boundary=\"b1" + tail + "\"", nested, 2, "deep text "},
        {"many parts", "multipart/mixed; boundary=b", flat, 2, "found "},
    };
    for (const HostileCase& c : cases) {
        expectPreview(c);
    }
}

}  // namespace

// What the message says itself comes before an enclosed message's text, and text/plain and text/html before other
// text; a part whose type cannot be read counts as text/plain when it names text, else as other text.
TEST(PreviewBody, RanksTheMessagesOwnTextFirst) {
    const std::string mixed = "multipart/mixed; boundary=b";
    const std::vector<std::string> enclosed = {"--b",       "Content-Type: message/rfc822", "", "Subject: inner", "",
                                               "inner text"};
    const auto part = [](const std::string& type, const std::string& text) {
        return std::vector<std::string>{"--b", "Content-Type: " + type, "", text};
    };
    const PreviewCase cases[] = {
        {"enclosed, then plain", mixed, "", enclosed + part("text/plain", "outer"), 2, "outer "},
        {"html, then enclosed", mixed, "", part("text/html", "<p>outer</p>") + enclosed, 2, "outer "},
        {"enclosed alone", mixed, "", enclosed, 2, "inner text "},
        {"enclosed in Base64 passed over", mixed, "",
         std::vector<std::string>{"--b", "Content-Type: message/rfc822", "Content-Transfer-Encoding: base64", "",
                                  "U3ViamVjdDogeAoKdGV4dAo="},
         2, ""},
        {"other text, then html", mixed, "", part("text/x-log", "log") + part("text/html", "<p>html</p>"), 2, "html "},
        {"other text, then enclosed", mixed, "", part("text/x-log", "log") + enclosed, 2, "log "},
        {"no subtype, then html", mixed, "", part("text", "plain") + part("text/html", "<p>html</p>"), 2, "plain "},
        {"garbled type, then html", mixed, "", part("image/png name=x", "AAAA") + part("text/html", "<p>h</p>"), 2,
         "h "},
        {"garbled type alone", "application/pdf name=x", "", {"readable"}, 2, "readable "},
    };
    expectPreviews(std::begin(cases), std::end(cases));
}

TEST(DeclaredCharset, IsTheMessagesElseThatOfThePartRead) {
    const std::vector<std::string> parts = {"--b", "Content-Type: image/png; charset=koi8-r",      "",
                                            "--b", "Content-Type: text/plain; charset=iso-8859-1", "",
                                            "x"};
    EXPECT_EQ(text::Charset::Big5, mime::declaredCharset("text/plain; charset=big5", parts));
    EXPECT_EQ(text::Charset::Latin1, mime::declaredCharset("multipart/mixed; boundary=b", parts));
    EXPECT_EQ(text::Charset::Unknown, mime::declaredCharset("text/plain", parts));
}
