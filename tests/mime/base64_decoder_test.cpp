#include "mime/base64_decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

struct Base64Case {
    const char* name;
    const char* input;
    std::string bytes;  // every decoded byte, zero bytes included
};

// What decode yielded, as the full run of bytes its length announces.
std::string decodedBytes(mime::Base64Decoder& decoder, const char* input) {
    const char* result = decoder.decode(input);
    return std::string(result, static_cast<std::size_t>(decoder.length()));
}

TEST(Base64Decoder, DecodesGroupsAndPadding) {
    const Base64Case cases[] = {
        {"empty", "", ""},
        {"full group", "TWFu", "Man"},
        {"one pad", "TWE=", "Ma"},
        {"two pads", "TQ==", "M"},
        {"three pads give nothing", "T===", ""},
        {"four pads give nothing", "====", ""},
        {"several groups", "TWFuTWFu", "ManMan"},
        {"padded group in the middle", "TQ==TWFu", "MMan"},
        {"all symbols of the alphabet",
         "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4OTo7PD0+"
         "P0BBQkNERUZHSElKS0xNTk9QUVJTVFVWV1hZWltcXV5fYGFiY2RlZmdoaWprbG1ub3BxcnN0dXZ3eHl6e3x9fn+"
         "AgYKDhIWGh4iJiouMjY6PkJGSk5SVlpeYmZqbnJ2en6ChoqOkpaanqKmqq6ytrq+wsbKztLW2t7i5uru8vb6/"
         "wMHCw8TFxsfIycrLzM3Oz9DR0tPU1dbX2Nna29zd3t/g4eLj5OXm5+jp6uvs7e7v8PHy8/T19vf4+fr7/P3+/w==",
         [] {
             std::string all;
             for (int i = 0; i < 256; ++i) {
                 all += static_cast<char>(i);
             }
             return all;
         }()},
        // A character outside the alphabet is worth 63 and keeps its slot: "TW u" is not "TWu".
        {"blank counts as 63", "TW u", "Mo\xEE"},
        {"unknown characters count as 63", "!!!!", "\xFF\xFF\xFF"},
        {"slash is 63 too", "////", "\xFF\xFF\xFF"},
        {"unknown character in a padded group", "A*A=", std::string("\x03\xF0", 2)},
        // A short last group without '=' still yields three bytes; missing slots are zero.
        {"short last group of three", "TWE", std::string("Ma\0", 3)},
        {"short last group of two", "TQ", std::string("M\0\0", 3)},
        {"short last group of one", "TWFuT", std::string("ManL\0\0", 6)},
    };
    mime::Base64Decoder decoder;
    for (const auto& c : cases) {
        EXPECT_EQ(c.bytes, decodedBytes(decoder, c.input)) << c.name;
    }
}

TEST(Base64Decoder, DecodedTextEndsAtItsFirstZeroByte) {
    mime::Base64Decoder decoder;
    // "QQBC" decodes to 'A', 0, 'B'.
    const char* text = decoder.decode("QQBC");
    EXPECT_EQ(3, decoder.length());
    EXPECT_STREQ("A", text);
    EXPECT_EQ('B', text[2]);
    EXPECT_EQ('\0', text[3]);

    EXPECT_STREQ("", decoder.decode("AAAA"));
    EXPECT_EQ(3, decoder.length());
}

TEST(Base64Decoder, EachDecodeReplacesThePreviousResult) {
    mime::Base64Decoder decoder;
    EXPECT_STREQ("ManMan", decoder.decode("TWFuTWFu"));
    EXPECT_STREQ("M", decoder.decode("TQ=="));
    EXPECT_EQ(1, decoder.length());
    EXPECT_STREQ("", decoder.decode(""));
    EXPECT_EQ(0, decoder.length());
}

TEST(Base64Decoder, LongInputFitsItsBuffer) {
    // Any length, padded or not, must stay inside the buffer (the sanitizer build checks the writes).
    mime::Base64Decoder decoder;
    for (std::size_t n = 0; n < 40; ++n) {
        const std::string input(n, 'Q');
        decoder.decode(input.c_str());
        EXPECT_EQ(static_cast<std::int32_t>((n + 3) / 4 * 3), decoder.length()) << n;
    }
}

}  // namespace

// Long runs are decoded sixteen characters at a time where the processor allows it, and character by character
// otherwise. Decoding a text whole must give what decoding it in pieces too short for the wide path gives: for a
// word, each group of four on its own; for a body, one character at a time. Alphabet text with a sprinkling of
// padding, blanks and foreign bytes puts the switch between the two paths everywhere.
TEST(Base64Decoder, WholeTextsDecodeAsTheirPiecesDo) {
    std::mt19937 random(20261207);
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string others = "= \t\r\n*\x80\xFF-_.";
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 200, 'A');
        const unsigned foreignEvery = 8 + random() % 200;
        for (char& c : text) {
            c = random() % foreignEvery == 0 ? others[random() % others.size()] : alphabet[random() % alphabet.size()];
        }
        std::string pieces;
        for (std::size_t at = 0; at < text.size(); at += 4) {
            mime::appendBase64Word(std::string_view(text).substr(at, 4), pieces);
        }
        std::string whole;
        mime::appendBase64Word(text, whole);
        ASSERT_EQ(pieces, whole) << "word: " << text;

        mime::Base64BodyDecoder byCharacter;
        std::string expected;
        for (const char c : text) {
            byCharacter.feed(std::string_view(&c, 1), expected);
        }
        byCharacter.finish(expected);
        mime::Base64BodyDecoder byLine;
        std::string actual;
        byLine.feed(text, actual);
        byLine.finish(actual);
        ASSERT_EQ(expected, actual) << "body: " << text;
    }
}
