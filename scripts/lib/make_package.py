#!/usr/bin/env python3
"""Writes the release zip for Windows users: Quorvane.exe, the Japanese read-me, the licence and SHA256SUMS.

Usage: make_package.py --exe Quorvane.exe --version X.Y.Z --out-dir DIR   (prints the zip's path)

The zip is what a Japanese Windows user unpacks with Explorer, so:
- the texts are Shift_JIS (code page 932) with CRLF line ends, as Notepad of every Windows version reads them;
- the Japanese file name is stored in code page 932 (what Explorer on Japanese Windows reads in a name without
  the UTF-8 flag), with an Info-ZIP Unicode Path field holding it in UTF-8 for tools that know that field;
- every entry has the same fixed time, so the same inputs give the same zip.
"""
import argparse
import hashlib
import os
import struct
import sys
import zipfile
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
README_NAME = "はじめにお読みください.txt"
FIXED_TIME = (2026, 1, 1, 0, 0, 0)


def windows_text(text):
    """Shift_JIS bytes with CRLF line ends."""
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp932")


class Cp932ZipInfo(zipfile.ZipInfo):
    """An entry whose name is stored in code page 932 without the UTF-8 flag."""

    def _encodeFilenameFlags(self):
        return self.filename.encode("cp932"), self.flag_bits


def unicode_path_field(stored_name, name):
    """Info-ZIP's Unicode Path extra field (0x7075): version 1, CRC-32 of the stored name, the UTF-8 name."""
    data = struct.pack("<BI", 1, zlib.crc32(stored_name) & 0xFFFFFFFF) + name.encode("utf-8")
    return struct.pack("<HH", 0x7075, len(data)) + data


def entry(name):
    info = Cp932ZipInfo(name, FIXED_TIME)
    info.compress_type = zipfile.ZIP_DEFLATED
    info.external_attr = 0o644 << 16
    info.create_system = 0  # MS-DOS: the name is in the OEM code page, which is 932 on Japanese Windows
    stored = name.encode("cp932")
    if stored != name.encode("ascii", "replace"):
        info.extra = unicode_path_field(stored, name)
    return info


def package(exe, version, out_dir):
    readme = (ROOT / "docs" / "ja" / README_NAME).read_text(encoding="utf-8").replace("@VERSION@", version)
    files = [
        ("Quorvane.exe", Path(exe).read_bytes()),
        (README_NAME, windows_text(readme)),
        ("LICENSE.txt", windows_text((ROOT / "LICENSE").read_text(encoding="utf-8"))),
    ]
    sums = "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)
    files.append(("SHA256SUMS", sums.encode("utf-8")))

    out = Path(out_dir)
    out.mkdir(parents=True, exist_ok=True)
    path = out / ("Quorvane-%s-win32.zip" % version)
    tmp = path.with_suffix(".zip.tmp")
    with zipfile.ZipFile(tmp, "w") as archive:
        for name, data in files:
            archive.writestr(entry(name), data, compresslevel=9)
    os.replace(tmp, path)
    return path


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--out-dir", required=True)
    args = parser.parse_args()
    print(package(args.exe, args.version, args.out_dir))


if __name__ == "__main__":
    sys.exit(main())
