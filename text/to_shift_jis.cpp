#include "text/to_shift_jis.h"

#include <cstdint>
#include <cstring>

#include "text/ascii_run.h"
#include "text/cjk_to_sjis.h"
#include "text/cp932_tables.h"
#include "text/jis_to_sjis.h"
#include "text/shift_jis_writer.h"
#include "text/utf8_to_sjis.h"

namespace text {

namespace {

const std::uint16_t* highHalfOf(Charset charset) {
    switch (charset) {
        case Charset::Latin1:
            return tables::kLatin1High;
        case Charset::Latin2:
            return tables::kLatin2High;
        case Charset::Cyrillic:
            return tables::kCyrillicHigh;
        case Charset::Greek:
            return tables::kGreekHigh;
        case Charset::Latin9:
            return tables::kLatin9High;
        case Charset::Windows1250:
            return tables::kWindows1250High;
        case Charset::Windows1251:
            return tables::kWindows1251High;
        case Charset::Windows1252:
            return tables::kWindows1252High;
        case Charset::Koi8R:
            return tables::kKoi8rHigh;
        default:
            return nullptr;
    }
}

char* singleByteToSjis(std::string_view in, const std::uint16_t* highHalf, char* out) {
    for (const char c : in) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            *out++ = c;
        } else {
            out = putCp932(out, highHalf[b - 0x80]);
        }
    }
    return out;
}

// An escape that opens a JIS X 0208 or JIS X 0201 stretch: text that holds one is ISO-2022-JP.
bool holdsJisEscape(const unsigned char* p, const unsigned char* end) {
    for (; p < end; ++p) {
        p = findByteInShortText(p, end, 0x1B);
        if (p == end) {
            return false;
        }
        if (p + 1 < end && (p[1] == '$' || p[1] == '(')) {
            return true;
        }
    }
    return false;
}

// A declared charset whose bytes the guess would read as something else.
bool outsideTheGuess(Charset declared) {
    switch (declared) {
        case Charset::Unknown:
        case Charset::Ascii:
        case Charset::Utf8:
        case Charset::Iso2022Jp:
        case Charset::ShiftJis:
        case Charset::EucJp:
            return false;
        default:
            return true;
    }
}

}  // namespace

// The UTF-8 reading is tried by converting, which checks the bytes on the way, rather than by checking them first.
char* writeUndeclaredShiftJis(std::string_view bytes, Charset declared, char* out) {
    const auto* begin = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = begin + bytes.size();
    if (holdsJisEscape(begin, end)) {
        return iso2022JpToSjis(bytes, out);
    }
    if (skipAscii(begin, end) != end) {
        if (char* converted = wellFormedUtf8ToSjis(bytes, out)) {
            return converted;
        }
        if (outsideTheGuess(declared)) {
            return writeShiftJis(declared, bytes, out);
        }
        if (looksLikeEucJp(bytes)) {
            return eucJpToSjis(bytes, out);
        }
    }
    std::memcpy(out, bytes.data(), bytes.size());
    return out + bytes.size();
}

namespace {

// How many bytes the unit at p[0] takes: an escape sequence (ESC, its intermediate bytes, the final byte), or a
// character of the charset. `twoByte` follows ISO-2022-JP's shifts.
std::size_t unitLength(Charset charset, const unsigned char* p, const unsigned char* end, bool& twoByte) {
    const unsigned char b = *p;
    if (b == 0x1B) {
        std::size_t length = 1;
        while (p + length < end && p[length] >= 0x20 && p[length] <= 0x2F) {
            ++length;
        }
        twoByte = length > 1 && p[1] == '$';
        return length + 1;
    }
    switch (charset) {
        case Charset::Utf8:
            return b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        case Charset::EucJp:
            return b == 0x8F ? 3 : (b == 0x8E || b >= 0xA1) ? 2 : 1;
        case Charset::Iso2022Jp:
            return twoByte && b >= 0x21 && b <= 0x7E ? 2 : 1;
        case Charset::ShiftJis:
            return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
        default:
            return 1;
    }
}

}  // namespace

bool endsOnCharacter(Charset charset, std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    bool twoByte = false;
    while (end - p > 0) {
        const std::size_t length = unitLength(charset, p, end, twoByte);
        if (length > static_cast<std::size_t>(end - p)) {
            return false;
        }
        p += length;
    }
    return true;
}

Charset guessCharset(std::string_view bytes) {
    const auto* begin = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = begin + bytes.size();
    if (holdsJisEscape(begin, end)) {
        return Charset::Iso2022Jp;
    }
    if (skipAscii(begin, end) == end) {
        return Charset::ShiftJis;
    }
    if (looksLikeUtf8(bytes)) {
        return Charset::Utf8;
    }
    if (looksLikeEucJp(bytes)) {
        return Charset::EucJp;
    }
    return Charset::ShiftJis;
}

char* writeShiftJis(Charset charset, std::string_view bytes, char* out) {
    switch (charset) {
        case Charset::Ascii:
            return writeUndeclaredShiftJis(bytes, Charset::Unknown, out);
        case Charset::Unknown:
        case Charset::ShiftJis:
            std::memcpy(out, bytes.data(), bytes.size());
            return out + bytes.size();
        case Charset::Utf8:
            return utf8ToSjis(bytes, out);
        case Charset::Iso2022Jp:
            return iso2022JpToSjis(bytes, out);
        case Charset::EucJp:
            return eucJpToSjis(bytes, out);
        case Charset::Gbk:
            return gbkToSjis(bytes, out);
        case Charset::Big5:
            return big5ToSjis(bytes, out);
        case Charset::EucKr:
            return eucKrToSjis(bytes, out);
        default:
            return singleByteToSjis(bytes, highHalfOf(charset), out);
    }
}

void appendShiftJis(Charset charset, std::string_view bytes, std::string& out) {
    if (charset == Charset::Unknown || charset == Charset::ShiftJis) {
        out.append(bytes.data(), bytes.size());
        return;
    }
    // Every converter writes at most two bytes per byte read: write straight into the string's room.
    const std::size_t start = out.size();
    out.resize(start + 2 * bytes.size());
    char* begin = &out[0] + start;
    out.resize(start + static_cast<std::size_t>(writeShiftJis(charset, bytes, begin) - begin));
}

std::string toShiftJis(Charset charset, std::string_view bytes) {
    std::string out;
    appendShiftJis(charset, bytes, out);
    return out;
}

}  // namespace text
