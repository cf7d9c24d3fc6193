#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/top_reply_reader.h"

namespace {

using mail::MailEntry;
using mail::TopReplyReader;

struct TopCase {
    const char* name;
    int headCount;
    std::vector<std::string> lines;  // the reply after its first line, up to and including "."
    std::string from;
    std::string subject;
    std::string firstLines;
};

MailEntry readAll(int headCount, const std::vector<std::string>& lines) {
    TopReplyReader reader(headCount);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bool more = reader.feed(lines[i]);
        EXPECT_EQ(more, i + 1 < lines.size()) << "line " << i << " '" << lines[i] << "'";
    }
    EXPECT_TRUE(reader.complete());
    return reader.entry();
}

const std::string kJisNihongo = "\x1b$BF|K\\8l\x1b(B";  // 日本語 in ISO-2022-JP

const TopCase kCases[] = {
    {"plain message: header fields, then the first lines",
     2,
     {"Subject: Hello", "From: Taro", "Content-Type: text/plain", "X-Mailer: any", "", "Dear Taro,", "",
      "See you tomorrow.", "Bye", "."},
     "Taro",
     "Hello",
     "Dear Taro, See you tomorrow. "},
    {"empty lines at the start of the body never count",
     2,
     {"Subject: s", "", "", "", "first", "", "", "second", "third", "."},
     "",
     "s",
     "first second "},
    {"lines past the wanted ones are read and dropped",
     1,
     {"From: a", "", "one", "two", "three", "."},
     "a",
     "",
     "one "},
    {"no body at all", 2, {"From: a", "Subject: b", "."}, "a", "b", ""},
    {"the server's doubled leading dot is removed",
     3,
     {"Subject: Dots", "", "..hidden line", "...two dots", "."},
     "",
     "Dots",
     ".hidden line ..two dots "},
    {"a lone leading dot is removed too, and a dotted line can be a header line",
     3,
     {".Subject: Dotted", "", ".x", "..", "."},
     "",
     "Dotted",
     "x . "},
    {"multipart with a preamble: the first text after the first part's header",
     2,
     {"Subject: Report", "Content-Type: multipart/mixed; boundary=\"XYZ\"", "",
      "This is a multi-part message in MIME format.", "", "--XYZ", "Content-Type: text/plain; charset=us-ascii", "",
      "Here is the report.", "See the attachment.", "", "--XYZ", "."},
     "",
     "Report",
     "Here is the report. See the attachment. "},
    {"multipart without a preamble: the header ends at its first empty line",
     2,
     {"Content-Type: multipart/mixed; boundary=\"b1\"", "", "--b1", "Content-Type: text/plain", "", "Part text.",
      "More part text.", "", "--b1", "Content-Type: image/png", "", "iVBORw0KGgo=", "."},
     "",
     "",
     "Part text. More part text. "},
    {"a nested multipart: the text part inside the inner one",
     1,
     {"Content-Type: multipart/mixed; boundary=a", "", "--a", "Content-Type: multipart/alternative; boundary=b", "",
      "--b", "Content-Type: text/plain", "", "inner text read as header", "", "first body line", "."},
     "",
     "",
     "inner text read as header "},
    {"header names in other letter case or without the blank are not recognised",
     2,
     {"SUBJECT: Loud", "from: quiet", "Subject:NoBlank", "From:x", "content-type: multipart/mixed", "", "body", "."},
     "",
     "",
     "body "},
    {"a later field replaces an earlier one",
     2,
     {"Subject: first", "From: one", "Subject: second", "From: two", "."},
     "two",
     "second",
     ""},
    {"a folded Subject is unfolded, keeping the blank or tab of the continuation",
     2,
     {"Subject: Hello", "\tfolded", " world", "From: Taro", "."},
     "Taro",
     "Hello\tfolded world",
     ""},
    {"a folded From ends at the empty line that starts the body",
     2,
     {"From: Taro Yamada", " <taro@example.jp>", "", " indented body line", "."},
     "Taro Yamada <taro@example.jp>",
     "",
     " indented body line "},
    {"continuation lines of other headers are ignored, even when they look like fields",
     2,
     {"To: a@example.com,", " Subject: not a subject", "\tFrom: not a sender", "X-Long: x", " y", "."},
     "",
     "",
     ""},
    {"a Content-Type line is stripped before the field tests", 2, {"Content-Type: Subject: odd", "."}, "", "odd", ""},
    {"encoded words are decoded, also over a folded line",
     2,
     {"From: =?ISO-2022-JP?B?GyRCOzNFREJATzobKEI=?= <taro@example.jp>",
      "Subject: =?ISO-2022-JP?B?GyRCTWg9NSROQkckQTlnJG8kOyRORnxEeCRIGyhC?=",
      " =?ISO-2022-JP?B?GyRCPmw9aiRLJEQkJCRGJE4kNEFqQ0wbKEI=?=", "", kJisNihongo, "."},
     "山田太郎 <taro@example.jp>",
     "来週の打ち合わせの日程と場所についてのご相談",
     "日本語 "},
};

TEST(TopReplyReaderTest, BuildsTheSummaryOfOneMessage) {
    for (const TopCase& c : kCases) {
        SCOPED_TRACE(c.name);
        MailEntry entry = readAll(c.headCount, c.lines);
        EXPECT_EQ(entry.from, c.from);
        EXPECT_EQ(entry.subject, c.subject);
        EXPECT_EQ(entry.firstLines, c.firstLines);
        EXPECT_EQ(entry.size, 0);
        EXPECT_FALSE(entry.deleteMark);
    }
}

TEST(TopReplyReaderTest, LinesAfterTheEndAreIgnored) {
    TopReplyReader reader(2);
    EXPECT_TRUE(reader.feed("Subject: kept"));
    EXPECT_FALSE(reader.complete());
    EXPECT_FALSE(reader.feed("."));
    EXPECT_FALSE(reader.feed("Subject: late"));
    EXPECT_FALSE(reader.feed(""));
    EXPECT_FALSE(reader.feed("late body"));
    EXPECT_EQ(reader.entry().subject, "kept");
    EXPECT_EQ(reader.entry().firstLines, "");
}

// A server may send more body lines than TOP asked for; those beyond what any TOP of a check asks for (the head
// count, 7 more, then kMorePreviewLines more) and a few spare are not kept, so text that far down is not seen.
TEST(TopReplyReaderTest, BodyLinesBeyondTheMostAnyTopAsksForAreNotKept) {
    const int headCount = 2;
    const int kept = headCount + static_cast<int>(mail::kMorePreviewLines) + 16;
    const struct {
        int emptyLinesBefore;
        const char* firstLines;
    } rows[] = {{0, "text "}, {kept - 1, "text "}, {kept, ""}, {kept * 100, ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.emptyLinesBefore);
        TopReplyReader reader(headCount);
        reader.feed("Subject: long");
        reader.feed("");
        for (int k = 0; k < row.emptyLinesBefore; ++k) {
            reader.feed("");
        }
        reader.feed("text");
        EXPECT_FALSE(reader.feed("."));
        EXPECT_EQ(reader.entry().firstLines, row.firstLines);
    }
}

TEST(TopReplyReaderTest, AnUnfoldedFieldKeepsItsStartUpToTheBound) {
    TopReplyReader reader(2);
    reader.feed("Subject: start");
    const std::string continuation = " " + std::string(1000, 'x');
    for (int k = 0; k < 1000; ++k) {
        reader.feed(continuation);
    }
    reader.feed("From: after");
    reader.feed(".");
    const MailEntry entry = reader.entry();
    EXPECT_EQ(entry.subject.size(), mail::kMaxHeaderValueBytes);
    EXPECT_EQ(entry.subject.substr(0, 7), "start x");
    EXPECT_EQ(entry.from, "after") << "the fields after it are read as before";
}

TEST(TopReplyReaderTest, AFieldStillOpenCountsWhenTheReplyIsCutShort) {
    TopReplyReader reader(2);
    reader.feed("Subject: Hello");
    reader.feed(" again");
    EXPECT_EQ(reader.entry().subject, "Hello again");
}

}  // namespace
