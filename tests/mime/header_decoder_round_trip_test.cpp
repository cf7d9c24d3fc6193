// Random Japanese texts encoded the way mailers do, decoded and compared with Shift_JIS computed
// independently: from the row and cell of each character (both builds) and, natively, by glibc's iconv.
#include "mime/header_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <iconv.h>
#endif

namespace {

// One character: ASCII when row is 0, else a JIS X 0208 character by row and cell (1 to 94 each).
struct Char {
    char ascii;
    int row;
    int cell;
};
using Text = std::vector<Char>;

// ISO-2022-JP: ESC $ B before each kanji run, ESC ( B after it, ending in ASCII.
std::string toIso2022Jp(const Text& text) {
    std::string out;
    bool kanji = false;
    for (const Char& c : text) {
        if (c.row != 0) {
            if (!kanji) {
                out += "\x1b$B";
                kanji = true;
            }
            out += static_cast<char>(0x20 + c.row);
            out += static_cast<char>(0x20 + c.cell);
        } else {
            if (kanji) {
                out += "\x1b(B";
                kanji = false;
            }
            out += c.ascii;
        }
    }
    if (kanji) {
        out += "\x1b(B";
    }
    return out;
}

// Shift_JIS from the layout of its code table: two rows per lead byte (0x81-0x9F, then 0xE0-0xEF),
// odd rows in trail bytes 0x40-0x9E skipping 0x7F, even rows in 0x9F-0xFC.
std::string toShiftJis(const Text& text) {
    std::string out;
    for (const Char& c : text) {
        if (c.row == 0) {
            out += c.ascii;
            continue;
        }
        const int lead = (c.row - 1) / 2 + (c.row <= 62 ? 0x81 : 0xC1);
        const int trail = (c.row % 2 != 0) ? c.cell + 0x3F + (c.cell >= 64 ? 1 : 0) : c.cell + 0x9E;
        out += static_cast<char>(lead);
        out += static_cast<char>(trail);
    }
    return out;
}

std::string base64(const std::string& bytes) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (left > 1) {
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        }
        if (left > 2) {
            group |= static_cast<unsigned char>(bytes[i + 2]);
        }
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        out += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return out;
}

std::string quotedPrintable(const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')) {
            out += b;
        } else if (u == ' ') {
            out += '_';
        } else {
            out += '=';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

class TextMaker {
public:
    explicit TextMaker(std::uint32_t seed) : rng_(seed) {
    }

    int below(int n) {
        return static_cast<int>(rng_() % static_cast<std::uint32_t>(n));
    }

    // Hiragana, level-1 and level-2 kanji: rows in which every cell holds a character.
    Text text(int length) {
        static const char kAscii[] = "abcxyzABCXYZ0189 -.:!<>@=?_";
        Text out;
        for (int i = 0; i < length; ++i) {
            if (below(3) == 0) {
                out.push_back({kAscii[below(sizeof(kAscii) - 1)], 0, 0});
                continue;
            }
            const int pick = below(1 + 31 + 36);
            if (pick == 0) {
                out.push_back({0, 4, 1 + below(83)});
            } else if (pick <= 31) {
                out.push_back({0, 15 + pick, 1 + below(94)});
            } else {
                out.push_back({0, 16 + pick, 1 + below(94)});
            }
        }
        return out;
    }

    std::string separator() {
        static const char* const kSeparators[] = {" ", "\r\n ", "\t", "\r\n\t", ""};
        return kSeparators[below(5)];
    }

    std::string charset() {
        return below(2) ? "ISO-2022-JP" : "iso-2022-jp";
    }

private:
    std::mt19937 rng_;
};

// Each chunk of characters becomes its own word with its own escape sequences.
std::string wordsPerChunk(TextMaker& maker, const Text& text, bool quoted) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = std::min<std::size_t>(1 + maker.below(8), text.size() - at);
        const std::string jis = toIso2022Jp(Text(text.begin() + at, text.begin() + at + length));
        if (at != 0) {
            out += maker.separator();
        }
        const char letter = quoted ? (maker.below(2) ? 'Q' : 'q') : (maker.below(2) ? 'B' : 'b');
        out += "=?" + maker.charset() + "?" + letter + "?" + (quoted ? quotedPrintable(jis) : base64(jis)) + "?=";
        at += length;
    }
    return out;
}

// The whole text's Base64 cut at group boundaries, as some mailers do, whatever the JIS runs.
std::string wordsCutAnywhere(TextMaker& maker, const Text& text) {
    const std::string encoded = base64(toIso2022Jp(text));
    std::string out;
    for (std::size_t at = 0; at < encoded.size();) {
        const std::size_t length = std::min<std::size_t>(4 * (1 + maker.below(4)), encoded.size() - at);
        if (at != 0) {
            out += maker.separator();
        }
        out += "=?" + maker.charset() + "?B?" + encoded.substr(at, length) + "?=";
        at += length;
    }
    return out;
}

#if !defined(_WIN32)
// glibc's own conversion, a second opinion on the expected bytes.
std::string iconvIso2022JpToCp932(const std::string& jis) {
    iconv_t cd = iconv_open("CP932", "ISO-2022-JP");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return "(no iconv)";
    }
    std::vector<char> in(jis.begin(), jis.end());
    std::vector<char> out(jis.size() * 2 + 16);
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1)) {
        return "(iconv failed)";
    }
    return std::string(out.data(), out.size() - outLeft);
}
#endif

TEST(DecodeHeaderTextRoundTrip, RandomJapaneseTextsInEncodedWords) {
    TextMaker maker(20240611);
    for (int round = 0; round < 300; ++round) {
        const Text text = maker.text(1 + maker.below(30));
        const std::string expected = toShiftJis(text);
#if !defined(_WIN32)
        ASSERT_EQ(expected, iconvIso2022JpToCp932(toIso2022Jp(text))) << "round " << round;
#endif
        std::string words;
        switch (round % 3) {
            case 0:
                words = wordsPerChunk(maker, text, false);
                break;
            case 1:
                words = wordsPerChunk(maker, text, true);
                break;
            default:
                words = wordsCutAnywhere(maker, text);
                break;
        }
        ASSERT_EQ(expected, mime::decodeHeaderText(words)) << "round " << round << ": " << words;
        ASSERT_EQ("Re: " + expected + " <a@b>", mime::decodeHeaderText("Re: " + words + " <a@b>")) << "round " << round;
    }
}

// Any bytes, each written in Q as its escape (upper or lower case hex), as itself where it is printable and not
// special, or as '_' for a blank, come back as they were from a word in a charset whose bytes pass through. Half
// the rounds are ASCII text written mostly as itself, where long plain stretches reach the end of the word.
TEST(DecodeHeaderTextRoundTrip, AnyBytesInQWordsWrittenAnyWay) {
    std::mt19937 rng(11);
    for (int round = 0; round < 3000; ++round) {
        const bool ascii = round % 2 == 0;
        std::string bytes, encoded;
        const int length = static_cast<int>(rng() % 70);
        for (int i = 0; i < length; ++i) {
            // A zero byte would end the text.
            const auto b = static_cast<unsigned char>(ascii ? 0x20 + rng() % 0x5F : 1 + rng() % 255);
            bytes += static_cast<char>(b);
            const bool plain = b > 0x20 && b < 0x7F && b != '=' && b != '?' && b != '_';
            if (b == ' ' && rng() % 2 == 0) {
                encoded += '_';
            } else if (plain && rng() % 8 < (ascii ? 7u : 2u)) {
                encoded += static_cast<char>(b);
            } else {
                const char* digits = rng() % 2 ? "0123456789ABCDEF" : "0123456789abcdef";
                encoded += '=';
                encoded += digits[b >> 4];
                encoded += digits[b & 15];
            }
        }
        const std::string word = "=?x-raw?Q?" + encoded + "?=";
        if (length == 0) {
            ASSERT_EQ(word, mime::decodeHeaderText(word));  // no text: no word
            continue;
        }
        ASSERT_EQ(bytes + " end", mime::decodeHeaderText(word + " end")) << word;
    }
}

TEST(DecodeHeaderTextRoundTrip, RandomRawJisTexts) {
    TextMaker maker(7);
    for (int round = 0; round < 100; ++round) {
        const Text text = maker.text(1 + maker.below(40));
        const std::string jis = toIso2022Jp(text);
        if (jis.find("=?") != std::string::npos) {
            continue;  // would read as the start of an encoded word
        }
        ASSERT_EQ(toShiftJis(text), mime::decodeHeaderText(jis)) << "round " << round;
    }
}

TEST(DecodeHeaderTextRoundTrip, EveryPairOfTheCodeSpace) {
    Text text;
    for (int row = 1; row <= 94; ++row) {
        for (int cell = 1; cell <= 94; ++cell) {
            text.push_back({0, row, cell});
        }
        text.push_back({'\n', 0, 0});
    }
    EXPECT_EQ(toShiftJis(text), mime::decodeHeaderText(toIso2022Jp(text)));
}

}  // namespace
