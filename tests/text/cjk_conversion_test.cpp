#include <gtest/gtest.h>

#include <string>

#include "text/charset_names.h"
#include "text/cjk_to_sjis.h"
#include "text/to_shift_jis.h"

// The Chinese and Korean charsets. Expected texts are source literals, which the compiler turns into code page 932
// on its own: an oracle independent of the generated tables. Inputs are spelled as bytes.
namespace {

using text::Charset;

struct ConversionCase {
    const char* name;
    Charset charset;
    std::string input;
    std::string expected;
};

TEST(ToShiftJisCjk, ConvertsWhatCodePage932HoldsAndMarksTheRest) {
    const ConversionCase cases[] = {
        {"GB2312 hanzi, one simplified", Charset::Gbk,
         "\xBB\xE1\xD2\xE9\xC8\xD5\xB3\xCC\xA3\xBA\xC3\xF7\xCC\xEC\xCF\xC2\xCE\xE7 3", "会〓日程：明天下午 3"},
        {"GBK extension, traditional forms", Charset::Gbk, "\x95\xFE\xD5\x68", "會説"},
        {"GBK circled digit and Cyrillic", Charset::Gbk, "\xA2\xD9\xA7\xA8", "①Ж"},
        {"GB18030 four-byte sequences", Charset::Gbk,
         "a\x84\x31\x97\x38"
         "b\x94\x39\xCE\x33",
         "a〓b〓"},
        {"GBK bytes that start nothing", Charset::Gbk, "\x80x\xFFy\xB0\nz\xB0\x7F", "〓x〓y〓\nz〓\x7F"},
        {"GBK digit after a lead, not GB18030", Charset::Gbk, "\x81\x30x", "〓0x"},
        {"GBK cut off by the end", Charset::Gbk, "ab\xB0", "ab"},
        {"GB18030 cut off by the end", Charset::Gbk, "ab\x81\x30\x81", "ab"},
        {"Big5 traditional hanzi", Charset::Big5, "\xB7\x7C\xC4\xB3\xB3\x71\xAA\xBE\xA1\x47\xB3\x6F\xAD\xD3",
         "會議通知：這個"},
        {"Big5 hanzi CP932 lacks", Charset::Big5, "\xB6\xDC!", "〓!"},
        {"Big5 kana of the common extension", Charset::Big5, "\xC6\xA6\xC6\xF9", "あア"},
        {"Big5 Hong Kong and user-defined codes", Charset::Big5, "\x88\x40\xFA\x40", "〓〓"},
        {"Big5 bad trail and stray bytes", Charset::Big5, "\xA4 \x80\xFF", "〓 〓〓"},
        {"Big5 cut off by the end", Charset::Big5, "ok\xA4", "ok"},
        {"EUC-KR hangul, hanja and ASCII", Charset::EucKr, "\xC8\xB8\xC0\xC7 \xBE\xC8\xB3\xBB (\xFC\xE5\xEC\xA1) OK",
         "〓〓 〓〓 (會議) OK"},
        {"EUC-KR kana, Cyrillic and Greek", Charset::EucKr, "\xAA\xA2\xAC\xA8\xA5\xE1", "あЖα"},
        {"Unified Hangul Code syllables", Charset::EucKr, "\x8C\x63\xB9\xE6\xA1\x41x", "〓〓〓x"},
        {"EUC-KR bytes that start nothing", Charset::EucKr, "\xC7\x41\x80", "〓A〓"},
        {"EUC-KR cut off by the end", Charset::EucKr, "ok\xB0", "ok"},
    };
    for (const ConversionCase& c : cases) {
        EXPECT_EQ(c.expected, text::toShiftJis(c.charset, c.input)) << c.name;
    }
}

TEST(CharsetByName, KnowsTheChineseAndKoreanNames) {
    const struct {
        const char* name;
        Charset expected;
    } cases[] = {
        {"GB2312", Charset::Gbk},      {"gbk", Charset::Gbk},       {"CP936", Charset::Gbk},
        {"windows-936", Charset::Gbk}, {"X-GBK", Charset::Gbk},     {"EUC-CN", Charset::Gbk},
        {"csGB2312", Charset::Gbk},    {"GB18030", Charset::Gbk},   {"Big5", Charset::Big5},
        {"BIG5-HKSCS", Charset::Big5}, {"cp950", Charset::Big5},    {"x-x-big5", Charset::Big5},
        {"csBig5", Charset::Big5},     {"EUC-KR", Charset::EucKr},  {"ks_c_5601-1987", Charset::EucKr},
        {"KS_C_5601", Charset::EucKr}, {"CP949", Charset::EucKr},   {"Windows-949", Charset::EucKr},
        {"UHC", Charset::EucKr},       {"korean", Charset::EucKr},  {"csEUCKR", Charset::EucKr},
        {"gb2312*zh", Charset::Gbk},   {"big5x", Charset::Unknown}, {"euc-k", Charset::Unknown},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, text::charsetByName(c.name)) << c.name;
    }
}

// A character is read the same wherever it falls against the blocks of ASCII read at once.
TEST(ToShiftJisCjk, ConvertsTheSameWhereverACharacterFalls) {
    const ConversionCase parts[] = {
        {"GBK", Charset::Gbk, "\xC8\xD5\xB1\xBE\xD2\xE9", "日本〓"},
        {"GB18030", Charset::Gbk, "\x84\x31\x97\x38\xC8\xD5", "〓日"},
        {"Big5", Charset::Big5, "\xB9\x71\xA4\x6C", "電子"},
        {"EUC-KR", Charset::EucKr, "\xC8\xB8\xFC\xE5", "〓會"},
    };
    for (int pad = 0; pad <= 17; ++pad) {
        const std::string ascii(static_cast<std::size_t>(pad), 'x');
        for (const ConversionCase& c : parts) {
            EXPECT_EQ(ascii + c.expected + ascii + c.expected,
                      text::toShiftJis(c.charset, ascii + c.input + ascii + c.input))
                << c.name << ", " << pad << " bytes of ASCII before it";
        }
    }
}

// A text cut anywhere converts to the start of what the whole text converts to: a character the cut splits is
// dropped, and nothing is read beyond the end. Random bytes, every cut.
TEST(ToShiftJisCjk, ConvertsACutTextToTheStartOfTheWhole) {
    unsigned state = 4321;
    for (int round = 0; round < 400; ++round) {
        std::string input(static_cast<std::size_t>(round % 24), '\0');
        for (char& c : input) {
            state = state * 1103515245u + 12345u;
            // Mostly 8-bit bytes, with digits and ASCII letters among them for GB18030 and the hangul trails.
            const unsigned pick = (state >> 16) & 0xFF;
            c = static_cast<char>(pick < 0x30 ? '0' + pick % 10 : pick < 0x50 ? 'A' + pick % 26 : pick);
        }
        for (Charset charset : {Charset::Gbk, Charset::Big5, Charset::EucKr}) {
            const std::string whole = text::toShiftJis(charset, input);
            for (std::size_t cut = 0; cut < input.size(); ++cut) {
                const std::string part = text::toShiftJis(charset, input.substr(0, cut));
                ASSERT_EQ(0u, whole.compare(0, part.size(), part))
                    << static_cast<int>(charset) << " round " << round << " cut " << cut;
            }
        }
    }
}

// Every two-byte code of the generated tables converts to nothing or to one well-formed CP932 character, and the
// tables hold what the charsets share with CP932: kanji, kana, Greek, Cyrillic and symbols.
TEST(CjkTables, HoldWellFormedCp932Codes) {
    const struct {
        const char* name;
        std::uint16_t (*toCp932)(unsigned char lead, unsigned char trail);
        int leastHeld;
    } tables[] = {
        {"GBK", text::gbkPairToCp932, 7000},
        {"Big5", text::big5PairToCp932, 6000},
        {"EUC-KR", text::eucKrPairToCp932, 4700},
    };
    for (const auto& table : tables) {
        int held = 0;
        for (unsigned lead = 0; lead <= 0xFF; ++lead) {
            for (unsigned trail = 0; trail <= 0xFF; ++trail) {
                const unsigned code =
                    table.toCp932(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
                if (code == 0) {
                    continue;
                }
                ++held;
                const unsigned first = code >> 8;
                const unsigned second = code & 0xFF;
                ASSERT_TRUE((first >= 0x81 && first <= 0x9F) || (first >= 0xE0 && first <= 0xFC))
                    << table.name << std::hex << " " << lead << " " << trail << " to " << code;
                ASSERT_TRUE((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFC))
                    << table.name << std::hex << " " << lead << " " << trail << " to " << code;
            }
        }
        EXPECT_GT(held, table.leastHeld) << table.name;
    }
}

}  // namespace
