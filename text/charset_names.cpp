#include "text/charset_names.h"

#include <algorithm>
#include <cstddef>

#include "base/ascii.h"

namespace text {

namespace {

struct CharsetName {
    std::string_view name;  // lower case
    Charset charset;
};

const CharsetName kNames[] = {
    {"utf-8", Charset::Utf8},
    {"utf8", Charset::Utf8},
    {"iso-2022-jp", Charset::Iso2022Jp},
    {"iso-2022-jp-ms", Charset::Iso2022Jp},
    {"iso-2022-jp-1", Charset::Iso2022Jp},
    {"iso-2022-jp-2", Charset::Iso2022Jp},
    {"iso-2022-jp-3", Charset::Iso2022Jp},
    {"iso-2022-jp-2004", Charset::Iso2022Jp},
    {"csiso2022jp", Charset::Iso2022Jp},
    {"jis", Charset::Iso2022Jp},
    {"cp50220", Charset::Iso2022Jp},
    {"cp50221", Charset::Iso2022Jp},
    {"cp50222", Charset::Iso2022Jp},
    {"shift_jis", Charset::ShiftJis},
    {"shift-jis", Charset::ShiftJis},
    {"shiftjis", Charset::ShiftJis},
    {"sjis", Charset::ShiftJis},
    {"x-sjis", Charset::ShiftJis},
    {"ms_kanji", Charset::ShiftJis},
    {"csshiftjis", Charset::ShiftJis},
    {"cp932", Charset::ShiftJis},
    {"ms932", Charset::ShiftJis},
    {"windows-932", Charset::ShiftJis},
    {"windows-31j", Charset::ShiftJis},
    {"cswindows31j", Charset::ShiftJis},
    {"x-ms-cp932", Charset::ShiftJis},
    {"shift_jis-2004", Charset::ShiftJis},
    {"euc-jp", Charset::EucJp},
    {"eucjp", Charset::EucJp},
    {"x-euc-jp", Charset::EucJp},
    {"euc-jp-ms", Charset::EucJp},
    {"cseucpkdfmtjapanese", Charset::EucJp},
    {"us-ascii", Charset::Ascii},
    {"ascii", Charset::Ascii},
    {"iso646-us", Charset::Ascii},
    {"ansi_x3.4-1968", Charset::Ascii},
    {"iso-8859-1", Charset::Latin1},
    {"iso8859-1", Charset::Latin1},
    {"iso_8859-1", Charset::Latin1},
    {"latin1", Charset::Latin1},
    {"latin-1", Charset::Latin1},
    {"l1", Charset::Latin1},
    {"iso-8859-2", Charset::Latin2},
    {"iso8859-2", Charset::Latin2},
    {"iso_8859-2", Charset::Latin2},
    {"latin2", Charset::Latin2},
    {"iso-8859-5", Charset::Cyrillic},
    {"iso8859-5", Charset::Cyrillic},
    {"iso_8859-5", Charset::Cyrillic},
    {"iso-8859-7", Charset::Greek},
    {"iso8859-7", Charset::Greek},
    {"iso_8859-7", Charset::Greek},
    {"iso-8859-15", Charset::Latin9},
    {"iso8859-15", Charset::Latin9},
    {"iso_8859-15", Charset::Latin9},
    {"latin9", Charset::Latin9},
    {"latin-9", Charset::Latin9},
    {"windows-1250", Charset::Windows1250},
    {"cp1250", Charset::Windows1250},
    {"x-cp1250", Charset::Windows1250},
    {"windows-1251", Charset::Windows1251},
    {"cp1251", Charset::Windows1251},
    {"x-cp1251", Charset::Windows1251},
    {"windows-1252", Charset::Windows1252},
    {"cp1252", Charset::Windows1252},
    {"x-cp1252", Charset::Windows1252},
    {"koi8-r", Charset::Koi8R},
    {"koi8r", Charset::Koi8R},
    {"cskoi8r", Charset::Koi8R},
    {"gb2312", Charset::Gbk},
    {"gbk", Charset::Gbk},
    {"cp936", Charset::Gbk},
    {"ms936", Charset::Gbk},
    {"windows-936", Charset::Gbk},
    {"x-gbk", Charset::Gbk},
    {"euc-cn", Charset::Gbk},
    {"x-euc-cn", Charset::Gbk},
    {"csgb2312", Charset::Gbk},
    {"gb_2312-80", Charset::Gbk},
    {"gb18030", Charset::Gbk},
    {"big5", Charset::Big5},
    {"big-5", Charset::Big5},
    {"cn-big5", Charset::Big5},
    {"big5-hkscs", Charset::Big5},
    {"cp950", Charset::Big5},
    {"windows-950", Charset::Big5},
    {"x-x-big5", Charset::Big5},
    {"csbig5", Charset::Big5},
    {"euc-kr", Charset::EucKr},
    {"euckr", Charset::EucKr},
    {"ks_c_5601-1987", Charset::EucKr},
    {"ks_c_5601", Charset::EucKr},
    {"ks_c_5601-1989", Charset::EucKr},
    {"cp949", Charset::EucKr},
    {"windows-949", Charset::EucKr},
    {"uhc", Charset::EucKr},
    {"korean", Charset::EucKr},
    {"cseuckr", Charset::EucKr},
};

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

// Longer than every name we know.
constexpr std::size_t kLongestName = 24;

}  // namespace

Charset charsetByName(std::string_view name) {
    // RFC 2231 lets a language follow the charset of an encoded word: "utf-8*ja".
    name = name.substr(0, name.find('*'));
    if (name.size() > kLongestName) {
        return Charset::Unknown;
    }
    // A mail names the same charset again and again, spelled the same way: the last answer first.
    thread_local char lastSpelling[kLongestName];
    thread_local std::size_t lastSize = kLongestName + 1;
    thread_local Charset lastCharset = Charset::Unknown;
    if (name.size() == lastSize && sameName(std::string_view(lastSpelling, lastSize), name)) {
        return lastCharset;
    }
    char lower[kLongestName];
    for (std::size_t i = 0; i < name.size(); ++i) {
        lower[i] = base::toLower(name[i]);
    }
    const std::string_view wanted(lower, name.size());
    Charset charset = Charset::Unknown;
    for (const CharsetName& entry : kNames) {
        if (sameName(entry.name, wanted)) {
            charset = entry.charset;
            break;
        }
    }
    std::copy(name.begin(), name.end(), lastSpelling);
    lastSize = name.size();
    lastCharset = charset;
    return charset;
}

}  // namespace text
