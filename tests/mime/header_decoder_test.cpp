#include "mime/header_decoder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct DecodeCase {
    const char* name;
    std::string input;
    std::string expected;  // Shift_JIS: the Japanese literals compile to code page 932
};

void expectDecodes(const DecodeCase* begin, const DecodeCase* end) {
    for (const DecodeCase* c = begin; c != end; ++c) {
        EXPECT_EQ(c->expected, mime::decodeHeaderText(c->input)) << c->name;
    }
}

// "会議" as one ISO-2022-JP encoded word, and its two characters as words of their own.
const char kMeetingWord[] = "=?ISO-2022-JP?B?GyRCMnE1RBsoQg==?=";
const char kMeetWord[] = "=?ISO-2022-JP?B?GyRCMnEbKEI=?=";
const char kDiscussWord[] = "=?ISO-2022-JP?B?GyRCNUQbKEI=?=";

TEST(DecodeHeaderText, DecodesOneEncodedWord) {
    const std::string meeting = kMeetingWord;
    const DecodeCase cases[] = {
        {"one character gives exactly its two bytes", "=?ISO-2022-JP?B?GyRCJCIbKEI=?=", "\x82\xA0"},
        {"two characters", meeting, "会議"},
        {"name, blank, address", "=?ISO-2022-JP?B?GyRCOzNFREJATzobKEI=?= <taro@example.jp>",
         "山田太郎 <taro@example.jp>"},
        {"word between plain text", "[ml:0042] " + meeting + " (fwd)", "[ml:0042] 会議 (fwd)"},
        {"lower-case b and charset", "=?iso-2022-jp?b?GyRCMnE1RBsoQg==?=", "会議"},
        {"raw JIS after the word", meeting + " \x1b$B2q5D\x1b(B", "会議 会議"},
        {"plain =? after the word", meeting + " =?x", "会議 =?x"},
    };
    expectDecodes(std::begin(cases), std::end(cases));
}

TEST(DecodeHeaderText, DecodesEveryAdjacentWordWhole) {
    const std::string meet = kMeetWord;
    const std::string discuss = kDiscussWord;
    const DecodeCase cases[] = {
        {"two words, blank between", meet + " " + discuss, "会議"},
        {"two words, folded line between", meet + "\r\n " + discuss, "会議"},
        {"two words, nothing between", meet + discuss, "会議"},
        {"three words, tab and fold", "Re: " + meet + "\t" + discuss + "\r\n\t" + meet + " end", "Re: 会議会 end"},
        {"long subject in three words",
         "=?ISO-2022-JP?B?GyRCPTVKcxsoQg==?= =?ISO-2022-JP?B?GyRCJE4kKkNOJGkkOxsoQg==?=\r\n "
         "=?ISO-2022-JP?B?GyRCRGpOYxsoQg==?=",
         "週報のお知らせ定例"},
        {"text between words is kept", meet + " and " + discuss, "会 and 議"},
    };
    expectDecodes(std::begin(cases), std::end(cases));
}

TEST(DecodeHeaderText, DecodesQuotedPrintableWords) {
    const DecodeCase cases[] = {
        {"JIS bytes as =XX", "=?ISO-2022-JP?Q?=1B$B2q5D=1B(B?=", "会議"},
        {"underscore is a blank", "=?US-ASCII?Q?Hello_World=21?=", "Hello World!"},
        {"lower-case q and hex digits", "=?us-ascii?q?a=3fb=3Dc?=", "a?b=c"},
        {"= without two hex digits stays", "=?US-ASCII?Q?a=4=G?=", "a=4=G"},
        {"Latin-1 letter CP932 lacks", "=?ISO-8859-1?Q?caf=E9?=", "caf〓"},
        {"zero byte ends the word's text", "=?US-ASCII?Q?ab=00cd?= tail", "ab tail"},
        {"Q and B words adjacent", "=?ISO-2022-JP?Q?=1B$B2q=1B(B?= " + std::string(kDiscussWord), "会議"},
    };
    expectDecodes(std::begin(cases), std::end(cases));
}

TEST(DecodeHeaderText, ConvertsTheWordsOfOtherCharsets) {
    const DecodeCase cases[] = {
        {"UTF-8 word", "=?UTF-8?B?5Lya6K2w?=", "会議"},
        {"UTF-8 words joined", "=?utf-8?B?5Lya?= =?utf-8?B?6K2w?= x", "会議 x"},
        {"ISO-8859-1 word", "=?ISO-8859-1?B?Y2Fm6Q==?=", "caf〓"},
        {"zero byte ends a Base64 word", "=?X?B?QQBC?= tail", "A tail"},
        // Hanzi and hanja that code page 932 holds as kanji stay, simplified hanzi and hangul become "〓".
        {"GB2312 word", "=?gb2312?B?yNWxvtPv?=", "日本〓"},
        {"GB2312 in Q", "=?gb2312?Q?=B1=B1=BE=A9=BB=B6=D3=AD=C4=E3?=", "北京〓迎〓"},
        {"GBK character split over two words", "=?gbk?B?yA==?= =?gbk?B?1bG+?=", "日本"},
        {"GB18030 four-byte sequence", "=?gb18030?B?yNWxvoQxlzg=?=", "日本ｶ"},
        {"Big5 name and address", "=?big5?B?uXGkbLZspfM=?= <m@example.tw>", "電子郵件 <m@example.tw>"},
        {"Big5 hanzi CP932 lacks", "=?Big5?B?ttw=?=", "〓"},
        {"ks_c_5601-1987 word", "=?ks_c_5601-1987?B?x9Gxub7uIPnbz9Dl3iBPSw==?=", "〓〓〓 韓國語 OK"},
        {"EUC-KR in Q", "=?EUC-KR?Q?=BE=C8=B3=E7=20Seoul?=", "〓〓 Seoul"},
    };
    expectDecodes(std::begin(cases), std::end(cases));
}

TEST(DecodeHeaderText, KanjiModeEndsWithItsWord) {
    const DecodeCase cases[] = {
        // The first word's JIS never switches back to ASCII; the address must stay readable.
        {"unclosed word before an address", "=?ISO-2022-JP?B?GyRCMnE1RA==?= <ab@cd>", "会議 <ab@cd>"},
        {"unclosed word before plain text", "=?ISO-2022-JP?B?GyRCMnE1RA==?=-ab", "会議-ab"},
        // A sender that cut one JIS run over two words: the joined bytes convert whole.
        {"JIS run cut over two words", "=?ISO-2022-JP?B?GyRCMnE=?= =?ISO-2022-JP?B?NUQbKEI=?=", "会議"},
        // Another charset starts afresh in ASCII mode.
        {"unclosed word before another charset", "=?ISO-2022-JP?B?GyRCMnE=?= =?US-ASCII?Q?ab?=", "会ab"},
        // A raw JIS run in plain text before a word does not reach into it.
        {"unclosed raw run before a word", "\x1b$B2q " + std::string(kDiscussWord), "会 議"},
    };
    expectDecodes(std::begin(cases), std::end(cases));
}

// A word's text ends at the first byte that is no printable ASCII or that is '?': at every position in it (sixteen
// bytes and more from its start too), such a byte leaves the text as it came, where a letter there decodes.
TEST(DecodeHeaderText, EndsAWordAtItsFirstForeignByteWhereverItIs) {
    for (int at = 0; at <= 40; ++at) {
        std::string filler, blanks;  // '_' stands for a blank in Q text
        for (int i = 0; i < at; ++i) {
            filler += i % 3 == 2 ? '_' : 'a';
            blanks += i % 3 == 2 ? ' ' : 'a';
        }
        EXPECT_EQ(blanks + "zb", mime::decodeHeaderText("=?UTF-8?Q?" + filler + "zb?="));
        for (const char* foreign : {" ", "\t", "\x7F", "?", "\x01", "\xE3"}) {
            for (const char* lead : {"=?UTF-8?Q?", "=?UTF-8?B?"}) {
                const std::string text = lead + std::string(static_cast<std::size_t>(at), 'a') + foreign + "b?=";
                EXPECT_EQ(text, mime::decodeHeaderText(text)) << at << " " << int(foreign[0]);
            }
        }
    }
}

// Each word's charset is read from its own name, whatever name the word before it had: one that extends it,
// shortens it, or spells it in other letters.
TEST(DecodeHeaderText, ReadsEachWordsCharsetWhateverCameBefore) {
    const std::string eucJp = "=?EUC-JP?Q?=A4=A2?=";
    const std::string longName = "=?X-A-CHARSET-NAME-1?Q?=A4=A2?=";
    const DecodeCase cases[] = {
        {"known, then extended", eucJp + " x =?EUC-JPX?Q?=A4=A2?=", "あ x \xA4\xA2"},
        {"extended, then known", "=?EUC-JPX?Q?=A4=A2?= x " + eucJp, "\xA4\xA2 x あ"},
        {"known, then shortened", eucJp + " x =?EUC-J?Q?=A4=A2?=", "あ x \xA4\xA2"},
        {"other letter case", eucJp + " x =?euc-jp?Q?=A4=A2?=", "あ x あ"},
        {"long unknown name twice", longName + " x " + longName, "\xA4\xA2 x \xA4\xA2"},
        {"known after a long name", longName + " x " + eucJp, "\xA4\xA2 x あ"},
        {"same name, other charset's bytes", eucJp + " =?EUC-JP?B?pKQ=?=", "あい"},
    };
    expectDecodes(std::begin(cases), std::end(cases));
}

TEST(DecodeHeaderText, KeepsTextWithoutCompleteWords) {
    const std::string rawJis = "\x1b$B2q5D\x1b(B";
    const DecodeCase cases[] = {
        {"plain ascii", "Hello, world <a@b.c>", "Hello, world <a@b.c>"},
        {"Shift_JIS text", "会議の資料です", "会議の資料です"},
        {"raw JIS run converted", "Re: " + rawJis + " memo", "Re: 会議 memo"},
        {"empty", "", ""},
        // "=?" without a closing "?=" after it: nothing is converted, not even a raw JIS run.
        {"open mark without close", "=?ISO-2022-JP?B?GyRC " + rawJis, "=?ISO-2022-JP?B?GyRC " + rawJis},
        {"marks overlap", "=?=", "=?="},
        {"marks overlap inside text", "a =?= " + rawJis, "a =?= " + rawJis},
        {"close before open", "a?= " + rawJis + " =?b", "a?= " + rawJis + " =?b"},
        // Malformed words are kept as text; the text around them still has its JIS converted.
        {"unknown encoding letter", "=?ISO-2022-JP?X?GyRC?= " + rawJis, "=?ISO-2022-JP?X?GyRC?= 会議"},
        {"empty charset", "=??B?GyRC?=", "=??B?GyRC?="},
        {"empty encoded text",
         "=?ISO-2022-JP?B?"
         "?=",
         "=?ISO-2022-JP?B?"
         "?="},
        {"blank in the charset", "=?ISO 2022?B?GyRC?=", "=?ISO 2022?B?GyRC?="},
        {"blank in the encoded text", "=?ISO-2022-JP?B?GyRC MnE?=", "=?ISO-2022-JP?B?GyRC MnE?="},
        {"question mark in the encoded text", "=?a?B?QQ?QQ?=", "=?a?B?QQ?QQ?="},
        {"no encoding letter", "=?ISO-2022-JP?GyRC?=", "=?ISO-2022-JP?GyRC?="},
        {"malformed word before a good one", "=?bad " + std::string(kMeetingWord), "=?bad 会議"},
        {"open mark inside a good word's lead", "=?=?ISO-2022-JP?B?GyRCMnE1RBsoQg==?=", "=?会議"},
    };
    expectDecodes(std::begin(cases), std::end(cases));
}

}  // namespace

// Raw 8-bit bytes that are neither ISO-2022-JP nor UTF-8 are read in the charset the message declares, unless the
// guess covers that charset's text itself; encoded words keep their own charset.
TEST(DecodeHeaderText, ReadsRawBytesInTheDeclaredCharset) {
    const struct {
        const char* name;
        std::string input;
        text::Charset declared;
        std::string expected;
    } cases[] = {
        {"Latin-1",
         "Gr\xFC\xDF"
         "e \xA3 5",
         text::Charset::Latin1, "Gr〓〓e ￡ 5"},
        {"GB2312 around a word", "\xBB\xE1 =?UTF-8?B?5Lya?= \xD2\xE9", text::Charset::Gbk, "会 会 〓"},
        {"UTF-8 before the declared charset", u8"会議", text::Charset::Latin1, "会議"},
        {"a Japanese declaration keeps the guess", "\xB2\xF1\xB5\xC4", text::Charset::ShiftJis, "会議"},
        {"ISO-2022-JP declared, Shift_JIS sent", "会議", text::Charset::Iso2022Jp, "会議"},
        {"US-ASCII declared", "会議", text::Charset::Ascii, "会議"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, mime::decodeHeaderText(c.input, c.declared)) << c.name;
    }
}
