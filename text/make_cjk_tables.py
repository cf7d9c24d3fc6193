#!/usr/bin/env python3
"""Writes the tables from the Chinese and Korean two-byte charsets straight to code page 932, as a C++ source file.

Each two-byte code is decoded by Python's codec and looked up in the Unicode to CP932 table of
make_cp932_tables.py, so a character converts here exactly as it does from UTF-8; 0 means CP932 lacks it
(simplified hanzi, hangul) or the codec holds no character there (the user-defined areas among them).
Most of the codes convert to nothing, so a table keeps for each lead byte a bit per trail byte (set where CP932 holds
the character) and, in one list, the CP932 codes of the set bits only, in order; for each 64-bit word of a row, the
place in that list where the word's codes begin.

  GBK:    lead 0x81-0xFE, trail 0x40-0xFE, Python's gbk (GB2312 and its extension).
  Big5:   lead 0xA1-0xF9, trail 0x40-0x7E then 0xA1-0xFE, Python's cp950 (Big5 with the common extensions).
  EUC-KR: lead 0xA1-0xFE, trail 0xA1-0xFE, Python's cp949 (KS X 1001; the rest of Unified Hangul Code is hangul,
          which CP932 lacks, and needs no table).

GB18030's four-byte sequences count the BMP characters that GBK lacks in code point order, a run of consecutive code
points at a time: for each run, its first sequence number (b1 - 0x81) * 12600 + (b2 - 0x30) * 1260 + (b3 - 0x81) * 10
+ (b4 - 0x30) and its first code point, as the standard's range table lists them (read here from Python's gb18030).

Usage: make_cjk_tables.py OUTPUT.cpp
"""
import os
import sys

sys.dont_write_bytecode = True  # nothing left behind in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_cp932_tables import hex_rows, source_start, unicode_to_cp932, write_source  # noqa: E402

TABLES = [  # (C++ name, Python codec, lead bytes, trail bytes)
    ("Gbk", "gbk", range(0x81, 0xFF), list(range(0x40, 0xFF))),
    ("Big5", "cp950", range(0xA1, 0xFA), list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF))),
    ("EucKr", "cp949", range(0xA1, 0xFF), list(range(0xA1, 0xFF))),
]
WORDS = 3  # 64-bit words of bits per row: room for 192 trail bytes


def row(codec, lead, trails, cp932):
    values = []
    for trail in trails:
        try:
            text = bytes([lead, trail]).decode(codec)
        except UnicodeDecodeError:
            text = ""
        values.append(cp932.get(ord(text), 0) if len(text) == 1 else 0)
    return tuple(values)


GB18030_BMP_SEQUENCES = 39420  # 81308130 to 8431A439


def gb18030_runs():
    runs, last = [], None
    for number in range(GB18030_BMP_SEQUENCES):
        rest = number % 12600
        code = bytes([0x81 + number // 12600, 0x30 + rest // 1260, 0x81 + rest % 1260 // 10, 0x30 + rest % 10])
        cp = ord(code.decode("gb18030"))
        if last is None or cp != last + 1:
            runs.append((number, cp))
        last = cp
    return runs


def main():
    cp932 = unicode_to_cp932()
    out = source_start("make_cjk_tables.py", "cjk_tables.h")
    for name, codec, leads, trails in TABLES:
        assert len(trails) <= 64 * WORDS
        held, starts, codes = [], [], []
        for lead in leads:
            values = row(codec, lead, trails, cp932)
            words, word_starts = [], []
            for w in range(WORDS):
                word_starts.append(len(codes))
                bits = 0
                for column, value in enumerate(values[64 * w:64 * (w + 1)]):
                    if value:
                        bits |= 1 << column
                        codes.append(value)
                words.append(bits)
            held.append(words)
            starts.append(word_starts)
        assert len(codes) < 0x10000
        out.append("const std::uint64_t k%sHeld[%d][%d] = {" % (name, len(held), WORDS))
        for words in held:
            out.append("    {" + ", ".join("0x%Xull" % v for v in words) + "},")
        out.append("};")
        out.append("const std::uint16_t k%sStart[%d][%d] = {" % (name, len(starts), WORDS))
        for i in range(0, len(starts), 6):
            out.append("    " + " ".join("{%s}," % ", ".join(str(v) for v in s) for s in starts[i:i + 6]))
        out.append("};")
        out.append("const std::uint16_t k%sCodes[%d] = {" % (name, len(codes)))
        out += hex_rows(codes)
        out.append("};")
    runs = gb18030_runs()
    out.append("const std::uint16_t kGb18030Runs[%d][2] = {" % len(runs))
    for i in range(0, len(runs), 8):
        out.append("    " + " ".join("{%d, 0x%X}," % run for run in runs[i:i + 8]))
    out.append("};")
    write_source(sys.argv[1], out)


if __name__ == "__main__":
    main()
