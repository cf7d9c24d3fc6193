#include "mime/transfer_decoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
        return (c | 0x20) - 'a' + 10;
    }
    return -1;
}

// The quoted-printable rule, one byte at a time: blanks at the end of a line are dropped, "=XY" with two hex digits
// is a byte, a last '=' joins the line to the next, and anything else is itself.
std::string decodedByRule(const std::vector<std::string>& lines) {
    std::string out;
    for (std::string line : lines) {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
            line.pop_back();
        }
        bool soft = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '=' && i + 2 < line.size() && hexValue(line[i + 1]) >= 0 && hexValue(line[i + 2]) >= 0) {
                out += static_cast<char>(hexValue(line[i + 1]) * 16 + hexValue(line[i + 2]));
                i += 2;
            } else if (line[i] == '=' && i + 1 == line.size()) {
                soft = true;
            } else {
                out += line[i];
            }
        }
        if (!soft) {
            out += '\n';
        }
    }
    return out;
}

// Lines like real ones (runs of escapes for Japanese text, ASCII words, blanks) with faults mixed in (bad and
// lower-case digits, a lone '=', blanks and soft breaks at the end, a final escape cut short) must decode as the
// rule says, wherever the faults fall.
TEST(DecodeTransfer, QuotedPrintableLinesDecodeByTheRule) {
    std::mt19937 random(20261207);
    const std::string hex = "0123456789ABCDEFabcdef";
    // Also the neighbours of the digit and letter ranges, where a classification by ranges goes wrong first.
    const std::vector<std::string> odd = {"=",
                                          "==",
                                          "=G",
                                          "=4",
                                          "=4G",
                                          "=\r",
                                          " ",
                                          "\t",
                                          "_",
                                          "==41",
                                          "\x80",
                                          "?=",
                                          "=/A",
                                          "=:A",
                                          "=@A",
                                          "=`A",
                                          "=gA",
                                          "=A/",
                                          "=A:",
                                          "=A@",
                                          "=AG",
                                          "=A`",
                                          "=Ag",
                                          "=\xC0"
                                          "A"};
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::string> lines(1 + random() % 4);
        for (std::string& line : lines) {
            const std::size_t length = random() % 120;
            while (line.size() < length) {
                const unsigned pick = random() % 10;
                if (pick < 6) {
                    for (unsigned n = random() % 12; n > 0; --n) {
                        line += '=';
                        line += hex[random() % (pick == 0 ? hex.size() : 16)];
                        line += hex[random() % 16];
                    }
                } else if (pick < 9) {
                    for (unsigned n = random() % 20; n > 0; --n) {
                        line += static_cast<char>('a' + random() % 26);
                    }
                } else {
                    line += odd[random() % odd.size()];
                }
            }
            if (random() % 4 == 0) {
                line += random() % 2 ? "=" : " \t";
            }
        }
        std::string decoded;
        mime::decodeTransfer("quoted-printable", lines, 0, lines.size(), decoded);
        std::string shown;
        for (const std::string& line : lines) {
            shown += line + "|";
        }
        ASSERT_EQ(decodedByRule(lines), decoded) << shown;
    }
}

}  // namespace
