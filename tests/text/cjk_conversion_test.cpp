#include <gtest/gtest.h>

#include <string>

#include "text/charset_names.h"
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
        {"Unified Hangul Code syllables", Charset::EucKr, "\x8C\x63\xB9\xE6\xA1\x41x", "〓〓〓x"},
        {"EUC-KR bytes that start nothing", Charset::EucKr, "\xC7\x41\x80", "〓A〓"},
        {"EUC-KR cut off by the end", Charset::EucKr, "ok\xB0", "ok"},
    };
    for (const ConversionCase& c : cases) {
        EXPECT_EQ(c.expected, text::toShiftJis(c.charset, c.input)) << c.name;
    }
}

}  // namespace
