// Header values longer than the reader keeps: what is kept never parts a character or an encoded word, and a
// value of any size costs the same few kilobytes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "mail/top_reply_reader.h"
#include "mime/header_decoder.h"
#include "text/to_shift_jis.h"

namespace {

using mail::kMaxHeaderValueBytes;

struct CutCase {
    const char* name;
    std::string start;  // the start of a longer value, as the reader keeps it
    std::size_t kept;
};

// Shift_JIS, EUC-JP and UTF-8 bytes are written out: the test's literals compile to code page 932.
TEST(KeptLengthOfCutValue, PartsNoCharacterAndNoEncodedWord) {
    const std::string word = "=?UTF-8?B?5Lya6K2w?=";
    const CutCase cases[] = {
        {"ASCII is cut anywhere", "Re: meeting", 11},
        {"a whole word at the end stays", "Re: " + word, 4 + word.size()},
        {"cut in the word's text", "Re: " + word.substr(0, 14), 4},
        {"cut between the text and its close", "Re: " + word.substr(0, 18), 4},
        {"cut inside the close", "Re: " + word.substr(0, 19), 4},
        {"cut inside the charset name", "Re: =?UTF-", 4},
        {"cut after the encoding letter", "Re: =?UTF-8?B", 4},
        {"cut after =?", "Re: =?", 4},
        {"a final = may begin a word", "Re: =", 4},
        {"an = in the text of a cut Q word", "a =?utf-8?Q?=E4=", 2},
        {"a word after a whole one", word + " =?UTF-8?B?5L", word.size() + 1},
        {"no word: ? and = in plain text stay", "why? a=b ok?", 12},
        {"UTF-8 cut after the lead byte", "a\xE4\xBC\x9A\xE4", 4},
        {"UTF-8 cut before the last byte", "a\xE4\xBC\x9A\xE4\xBC", 4},
        {"UTF-8 four bytes cut after three", "a\xC3\xA9\xF0\x9F\x90", 3},
        {"UTF-8 whole", "a\xC3\xA9\xF0\x9F\x90\xB1", 7},
        {"Shift_JIS cut after the lead byte", "a\x89\xEF\x83", 3},
        {"Shift_JIS whole, its trail byte 0x5C", "a\x89\xEF\x83\x5C", 5},
        {"Shift_JIS half-width katakana", "\x89\xEF\xB1", 3},
        {"EUC-JP cut after the lead byte", "a\xB2\xF1\xB2", 3},
        {"EUC-JP three bytes cut after two", "a\xB2\xF1\x8F\xB0", 3},
        {"ISO-2022-JP cut inside a pair", "a\x1b$B2qF", 6},
        {"ISO-2022-JP cut inside the escape back", "a\x1b$B2q\x1b(", 6},
        {"ISO-2022-JP cut inside the first escape", "ab\x1b$", 2},
        {"ISO-2022-JP whole", "a\x1b$B2q\x1b(B", 9},
        {"Shift_JIS right before a cut word", "\x89\xEF=?UTF-8?B?5L", 2},
    };
    for (const CutCase& c : cases) {
        EXPECT_EQ(c.kept, mime::keptLengthOfCutValue(c.start)) << c.name;
    }
}

// One piece of a generated value, with the places inside it where a cut parts nothing (besides its two ends).
struct Piece {
    std::string bytes;
    std::vector<std::size_t> inner;
};

// The pieces of a value in one raw charset, with encoded words and ASCII between them.
std::vector<Piece> piecesOf(int family) {
    std::vector<Piece> pieces = {
        {"a", {}},
        {"Z", {}},
        {"7", {}},
        {"Re:", {1, 2}},
        {" ", {}},
        {" ", {}},
        {"\t", {}},
        {"=?UTF-8?B?5Lya6K2w?=", {}},                // 会議
        {"=?utf-8?q?=E7=8C=AB_x?=", {}},             // 猫 x
        {"=?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", {}},  // 日本語
        {"=?x-unknown?Q?abc?=", {}},
    };
    switch (family) {
        case 0:  // UTF-8
            pieces.push_back({"\xE4\xBC\x9A", {}});
            pieces.push_back({"\xC3\xA9", {}});
            pieces.push_back({"\xF0\x9F\x90\xB1", {}});
            break;
        case 1:  // Shift_JIS, trail bytes in the ASCII range among them
            pieces.push_back({"\x89\xEF", {}});
            pieces.push_back({"\x83\x5C", {}});
            pieces.push_back({"\x95\x5C", {}});
            pieces.push_back({"\x82\xA0", {}});
            break;
        case 2:  // EUC-JP, JIS X 0212 among them
            pieces.push_back({"\xB2\xF1", {}});
            pieces.push_back({"\x8E\xB1", {}});
            pieces.push_back({"\x8F\xB0\xA1", {}});
            break;
        default:  // ISO-2022-JP: a kanji run may end anywhere between its pairs
            pieces.push_back({"\x1b$B2qF|\x1b(B", {3, 5, 7}});
            pieces.push_back({"\x1b$BG-\x1b(B", {3, 5}});
            break;
    }
    return pieces;
}

// A value of whole pieces longer than the reader keeps, folded before some of its blanks, and the part of it that
// a cut at the limit may keep: up to the last place at or before the limit where the cut parts nothing.
struct FoldedValue {
    std::vector<std::string> lines;
    std::string kept;
};

FoldedValue makeValue(std::mt19937& random, int family, std::size_t length) {
    const std::vector<Piece> pieces = piecesOf(family);
    std::string value;
    std::size_t lastWhole = 0;
    while (value.size() < length) {
        const Piece& piece = pieces[random() % pieces.size()];
        if (value.size() <= kMaxHeaderValueBytes) {
            for (const std::size_t inner : piece.inner) {
                if (value.size() + inner <= kMaxHeaderValueBytes) {
                    lastWhole = value.size() + inner;
                }
            }
            if (value.size() + piece.bytes.size() <= kMaxHeaderValueBytes) {
                lastWhole = value.size() + piece.bytes.size();
            }
        }
        value += piece.bytes;
    }
    FoldedValue folded;
    folded.kept = value.substr(0, lastWhole);
    // Unfolding drops only the line break: each continuation line begins with the blank it was folded before.
    std::string line;
    for (const char c : value) {
        if ((c == ' ' || c == '\t') && !line.empty() && random() % 3 == 0) {
            folded.lines.push_back(line);
            line.clear();
        }
        line += c;
    }
    folded.lines.push_back(line);
    return folded;
}

TEST(TopReplyReader, AValueLongerThanKeptIsDecodedFromItsWholeStart) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        const int family = round % 4;
        const bool subject = round % 2 == 0;
        const FoldedValue value = makeValue(random, family, kMaxHeaderValueBytes + 1 + random() % 8000);
        mail::TopReplyReader reader(2);
        reader.feed((subject ? "Subject: " : "From: ") + value.lines[0]);
        for (std::size_t i = 1; i < value.lines.size(); ++i) {
            reader.feed(value.lines[i]);
        }
        // Open fields are taken at the end of the header, or as they stand when the reply ends first.
        if (round % 3 != 0) {
            reader.feed("");
            reader.feed("body");
        }
        reader.feed(".");
        const mail::MailEntry entry = reader.entry();
        const std::string& decoded = subject ? entry.subject : entry.from;
        EXPECT_EQ(mime::decodeHeaderText(value.kept), decoded) << "round " << round;
        EXPECT_TRUE(text::endsOnCharacter(text::Charset::ShiftJis, decoded)) << "round " << round;
        EXPECT_LE(decoded.size(), 2 * kMaxHeaderValueBytes) << "round " << round;
        EXPECT_EQ(round % 3 != 0 ? "body " : "", entry.firstLines) << "round " << round;
    }
}

// 100 MB of folded lines in each field: the reader keeps the first few kilobytes and reads on to the body.
TEST(TopReplyReader, KeepsAFewKilobytesOfAHundredMegabyteHeader) {
    const std::string chunk = " " + std::string(999, 'x');
    const std::size_t lines = 100 * 1000 * 1000 / chunk.size();
    mail::TopReplyReader reader(1);
    for (const char* field : {"Subject: a", "From: b", "Content-Type: text/plain; charset=us-ascii; x="}) {
        EXPECT_TRUE(reader.feed(field));
        for (std::size_t i = 0; i < lines; ++i) {
            EXPECT_TRUE(reader.feed(chunk));
        }
    }
    reader.feed("");
    reader.feed("the first line");
    reader.feed(".");
    const mail::MailEntry entry = reader.entry();
    EXPECT_EQ(kMaxHeaderValueBytes, entry.subject.size());
    EXPECT_EQ("a" + (chunk + chunk + chunk + chunk + chunk).substr(0, kMaxHeaderValueBytes - 1), entry.subject);
    EXPECT_EQ(kMaxHeaderValueBytes, entry.from.size());
    EXPECT_EQ("the first line ", entry.firstLines);
}

}  // namespace
