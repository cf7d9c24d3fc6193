#include "mime/base64_decoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Base64Case {
    const char* name;
    const char* input;
    std::string bytes;  // every decoded byte, zero bytes included
};

// A word's text decoded as the encoded-word reader decodes it: the whole groups, then the rest. The output has just
// the room the two steps ask for, on the heap, so that the sanitizer build sees a write past it.
std::string decodeWord(std::string_view text) {
    std::vector<char> room(3 * (text.size() / 4) + 3);
    char* pos = room.data();
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* rest = mime::decodeBase64Groups(begin, begin + text.size(), pos);
    pos = mime::decodeBase64Tail(text.substr(static_cast<std::size_t>(rest - begin)), pos);
    return std::string(room.data(), pos);
}

// A body's text fed in pieces of `piece` characters and finished, as the transfer decoding feeds its lines.
std::string decodeBody(std::string_view text, std::size_t piece) {
    mime::Base64BodyDecoder decoder;
    std::string out;
    for (std::size_t at = 0; at < text.size(); at += piece) {
        const std::string_view part = text.substr(at, piece);
        std::vector<char> room(3 * (part.size() / 4) + 3);
        out.append(room.data(), decoder.feed(part, room.data()));
    }
    char last[3];
    out.append(last, decoder.finish(last));
    return out;
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
    for (const auto& c : cases) {
        EXPECT_EQ(c.bytes, decodeWord(c.input)) << c.name;
    }
}

TEST(Base64Decoder, EveryLengthStaysInsideItsRoom) {
    for (std::size_t n = 0; n < 40; ++n) {
        EXPECT_EQ((n + 3) / 4 * 3, decodeWord(std::string(n, 'Q')).size()) << n;
        EXPECT_EQ(n * 3 / 4, decodeBody(std::string(n, 'Q'), 7).size()) << n;
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
            pieces += decodeWord(std::string_view(text).substr(at, 4));
        }
        ASSERT_EQ(pieces, decodeWord(text)) << "word: " << text;
        ASSERT_EQ(decodeBody(text, 1), decodeBody(text, text.size() + 1)) << "body: " << text;
    }
}
