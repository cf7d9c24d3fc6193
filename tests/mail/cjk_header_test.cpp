#include <gtest/gtest.h>

#include <string>

#include "mail/header_decoder.h"

namespace {

// Encoded words in the Chinese and Korean charsets: the hanzi and hanja that code page 932 holds as kanji come out
// as those kanji (the literals compile to code page 932), the rest as "〓".
TEST(DecodeHeaderText, ConvertsChineseAndKoreanWords) {
    const struct {
        const char* name;
        std::string input;
        std::string expected;
    } cases[] = {
        {"GB2312 subject, one simplified hanzi", "=?gb2312?B?yNWxvtPv?=", "日本〓"},
        {"GBK subject", "Fw: =?GBK?B?1tDOxLLiytQ=?=", "Fw: 中文〓〓"},
        {"GB2312 in Q", "=?gb2312?Q?=B1=B1=BE=A9=BB=B6=D3=AD=C4=E3?=", "北京〓迎〓"},
        {"GBK character split over two words", "=?gbk?B?yA==?= =?gbk?B?1bG+?=", "日本"},
        {"GB18030 four-byte sequence", "=?gb18030?B?yNWxvoQxlzg=?=", "日本〓"},
        {"Big5 name and address", "=?big5?B?uXGkbLZspfM=?= <mail@example.tw>", "電子郵件 <mail@example.tw>"},
        {"Big5 hanzi CP932 lacks", "=?Big5?B?ttw=?=", "〓"},
        {"ks_c_5601-1987 hangul, hanja and ASCII", "=?ks_c_5601-1987?B?x9Gxub7uIPnbz9Dl3iBPSw==?=", "〓〓〓 韓國語 OK"},
        {"EUC-KR in Q", "=?EUC-KR?Q?=BE=C8=B3=E7=20Seoul?=", "〓〓 Seoul"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, mail::decodeHeaderText(c.input)) << c.name;
    }
}

}  // namespace
