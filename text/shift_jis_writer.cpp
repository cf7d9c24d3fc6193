#include "text/shift_jis_writer.h"

#include "text/cp932_tables.h"

namespace text {

std::uint16_t cp932FromUnicode(char32_t codePoint) {
    if (codePoint < 0x80) {
        return static_cast<std::uint16_t>(codePoint);
    }
    if (codePoint > 0xFFFF) {
        return 0;  // CP932 holds nothing beyond the BMP (emoji, say)
    }
    return tables::kUnicodeBlocks[tables::kUnicodeBlockIndex[codePoint >> 6]][codePoint & 63];
}

}  // namespace text
