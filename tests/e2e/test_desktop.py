"""End-to-end tests of how Quorvane.exe fits on a Windows desktop: other DPIs, start with Windows, the release zip."""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile
import zlib
from pathlib import Path

import harness as h

BLUE, RED = (0, 0, 255), (255, 0, 0)
LIST = h.exact("新着メール一覧 (Quorvane)")
DPI_KEY = r"HKCU\Control Panel\Desktop"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
SETTINGS = "せってい～＆バージョン情報　（Quorvane）"


def wine_reg(*args, check=False):
    """`wine reg ...`; its output is code page 932, so it is kept as bytes."""
    return h.subprocess.run(["wine", "reg", *args], stdin=h.subprocess.DEVNULL, capture_output=True, check=check)


def set_dpi(dpi):
    """The prefix's screen DPI, as Wine reads it when a program starts (None: back to Wine's default, 96)."""
    if dpi is None:
        wine_reg("delete", DPI_KEY, "/v", "LogPixels", "/f")
    else:
        wine_reg("add", DPI_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f", check=True)


def run_value():
    """The Run key's "Quorvane" value, or None."""
    out = wine_reg("query", RUN_KEY, "/v", "Quorvane").stdout.decode("cp932", "replace")
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) == 3 and parts[0] == "Quorvane" and parts[1] == "REG_SZ":
            return parts[2]
    return None


def scaled(pixels, dpi):
    return (pixels * dpi + 48) // 96


class Desktop(unittest.TestCase):
    def setUp(self):
        self.programs = []
        h.Mailbox().reset(["01-plain-ascii", "02-japanese", "05-dot-line"])

    def tearDown(self):
        for program in self.programs:
            program.stop()

    def start(self, ini=None, folder=None, args=(), exe=None):
        program = h.Program(ini, folder).start(*args, exe=exe)
        self.programs.append(program)
        return program

    def square_of(self, size):
        return h.wait_for("the %d-pixel square" % size, lambda: next(
            (w for w in h.windows("Quorvane$") if h.geometry(w)[2:] == (size, size)), None))

    def test_dpi_scaling(self):
        """At 96, 144 and 192 DPI the square, its icon and the list window grow with the DPI."""
        for dpi in (96, 144, 192):
            with self.subTest(dpi=dpi):
                set_dpi(dpi)
                try:
                    program = self.start(h.peer_ini(X="5000", Y="300"))
                    size = scaled(32, dpi)
                    square = self.square_of(size)
                    width, _ = h.screen_size()
                    x, y, _, _ = h.geometry(square)
                    self.assertEqual((width - size - 1, 300), (x, y), "kept inside the screen's edge")
                    h.wait_for("the blue idle look", lambda: h.pixel(x + 1, y + 1) == BLUE)
                    self.assertEqual(BLUE, h.pixel(x + size - 2, y + size - 2))
                    # The cat's white chin sits as low in the square as in the 32-pixel drawing.
                    self.assertEqual((255, 255, 255), h.pixel(x + size // 2, y + size * 27 // 32))
                    h.screenshot("dpi-%d-square" % dpi, crop=(x - 8, y - 8, size + 16, size + 16))
                    h.click(x + size // 2, y + size // 2, repeat=2)
                    h.wait_for("the mail result", lambda: "通のメールが来ました" in h.window_name(square), 30)
                    listing = h.window(LIST)
                    lx, ly, lw, lh = h.geometry(listing)
                    self.assertEqual((scaled(440, dpi), scaled(160, dpi)), (lw, lh))
                    h.screenshot("dpi-%d-list" % dpi, crop=(lx, ly, lw, lh))
                    h.command(40001)
                    h.wait_for("the program to end", program.exited, timeout=10)
                finally:
                    set_dpi(None)


    def test_start_with_windows(self):
        """The settings dialog's box adds the Run value; Windows' way of starting it reads the exe folder's INI."""
        saved = run_value()
        wine_reg("delete", RUN_KEY, "/v", "Quorvane", "/f")
        exe_folder = Path(tempfile.mkdtemp(prefix="quorvane-exe-"))
        try:
            exe = exe_folder / "Quorvane.exe"
            shutil.copy(h.EXE, exe)
            h.write_ini(exe_folder / "Quorvane.ini", {"X": "410", "Y": "320"})
            program = self.start(folder=exe_folder, exe=exe)
            program.square()
            h.command(40002)
            h.window(h.exact(SETTINGS))
            shown = h.wait_for("the dialog's controls", lambda: h.texts(SETTINGS))
            self.assertIn("Static\t65535\tQuorvane " + os.environ["QV_VERSION"], shown)
            h.click_control(SETTINGS, 1023)
            h.click_control(SETTINGS, 1)
            h.wait_for("the dialog to close", lambda: not h.windows(h.exact(SETTINGS)))
            command = h.wait_for("the Run value", run_value)
            self.assertEqual('"%s" /startup' % h.wine_path(exe), command)
            self.assertNotIn("StartWithWindows", program.ini().keys())
            h.command(40001)
            h.wait_for("the program to end", program.exited, timeout=10)

            # Started as the Run key starts it, from another current folder: the square is where the INI beside
            # the exe puts it, and that INI gets the window state at the end.
            elsewhere = Path(tempfile.mkdtemp(prefix="quorvane-cwd-"))
            program = self.start(folder=elsewhere, exe=exe, args=["/startup"])
            square = program.square()
            self.assertEqual((410, 320), h.geometry(square)[:2])
            h.command(40001)
            h.wait_for("the program to end", program.exited, timeout=10)
            self.assertFalse((elsewhere / "Quorvane.ini").exists())
            self.assertEqual("410", h.read_ini(exe_folder / "Quorvane.ini").get("X"))
        finally:
            wine_reg("delete", RUN_KEY, "/v", "Quorvane", "/f")
            if saved is not None:
                wine_reg("add", RUN_KEY, "/v", "Quorvane", "/t", "REG_SZ", "/d", saved, "/f")
            shutil.rmtree(exe_folder, ignore_errors=True)


    def test_release_zip(self):
        """The release zip of this build: its files as a Japanese Windows user gets them, and its exe runs."""
        version = os.environ["QV_VERSION"]
        work = Path(tempfile.mkdtemp(prefix="quorvane-zip-"))
        try:
            maker = Path(__file__).resolve().parents[2] / "scripts" / "lib" / "make_package.py"
            made = subprocess.run([sys.executable, str(maker), "--exe", h.EXE, "--version", version,
                                   "--out-dir", str(work)], capture_output=True, text=True, check=True)
            path = Path(made.stdout.strip())
            self.assertEqual("Quorvane-%s-win32.zip" % version, path.name)
            unpacked = work / "unpacked"
            files = {}
            with zipfile.ZipFile(path) as archive:
                for info in archive.infolist():
                    # No UTF-8 flag: the name's bytes are code page 932, and a Unicode Path field repeats it.
                    self.assertEqual(0, info.flag_bits & 0x800)
                    raw = info.filename.encode("cp437")
                    name = raw.decode("cp932")
                    if raw != name.encode("utf-8"):
                        self.assertEqual(struct.pack("<HHBI", 0x7075, 5 + len(name.encode("utf-8")), 1,
                                                     zlib.crc32(raw)) + name.encode("utf-8"), info.extra)
                    files[name] = archive.read(info)
            self.assertEqual(["LICENSE.txt", "Quorvane.exe", "SHA256SUMS", "はじめにお読みください.txt"],
                             sorted(files))
            # The zip holds the very exe these tests run, in its shipped form: a 32-bit PE without a symbol table.
            with open(h.EXE, "rb") as exe:
                tested = exe.read()
            self.assertEqual(tested, files["Quorvane.exe"])
            pe = struct.unpack_from("<I", tested, 0x3C)[0]
            self.assertEqual(b"PE\0\0", tested[pe:pe + 4])
            machine, _, _, symbols_at, symbol_count = struct.unpack_from("<HHIII", tested, pe + 4)
            self.assertEqual((0x14C, 0, 0), (machine, symbols_at, symbol_count), "i386, stripped")
            for name in ("はじめにお読みください.txt", "LICENSE.txt"):
                data = files[name]
                self.assertEqual(data.count(b"\n"), data.count(b"\r\n"), name + ": CRLF only")
                data.decode("cp932")
            readme = files["はじめにお読みください.txt"].decode("cp932")
            for text in ("Quorvane " + version, "Quorvane.ini", "Windowsといっしょに起動にゃ", "フォルダごと削除"):
                self.assertIn(text, readme)
            self.assertIn("MIT License", files["LICENSE.txt"].decode("cp932"))
            sums = files["SHA256SUMS"].decode("utf-8").splitlines()
            self.assertEqual(sorted("%s  %s" % (hashlib.sha256(files[n]).hexdigest(), n)
                                    for n in files if n != "SHA256SUMS"), sorted(sums))

            # Unpacked as Explorer unpacks it, the exe runs from its folder, keeps its INI there and quits cleanly.
            unpacked.mkdir()
            for name, data in files.items():
                (unpacked / name).write_bytes(data)
            program = self.start(folder=unpacked, exe=unpacked / "Quorvane.exe")
            square = program.square()
            x, y, _, _ = h.geometry(square)
            h.wait_for("the blue idle look", lambda: h.pixel(x + 1, y + 1) == BLUE)
            h.command(40001)
            h.wait_for("the program to end", program.exited, timeout=10)
            self.assertEqual(0, program.proc.returncode)
            self.assertEqual(str(x), h.read_ini(unpacked / "Quorvane.ini").get("X"))
        finally:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
