#!/usr/bin/env python3
"""Writes the sample mailbox used by the tests and the demo: one .eml file per message, CRLF line ends.

The messages cover what a Japanese mailbox of the program's users holds: plain ASCII, ISO-2022-JP text in
encoded words and in the body, multipart mail with and without a preamble, a line that begins with a dot,
and a long subject split over several encoded words and folded lines. The real-world shaped messages of
tests/mail/messages (UTF-8, HTML, raw Shift_JIS and ISO-2022-JP headers, EUC-JP, KOI8-R, Windows-1252, nested
multipart, forwarded mail and delivery reports, malformed and other text types, raw headers in a declared charset)
follow them.
"""
import base64
import sys
from pathlib import Path


def jis(text):
    return text.encode("iso2022_jp")


def word(text):
    """One RFC 2047 encoded word in ISO-2022-JP and Base64."""
    return "=?ISO-2022-JP?B?" + base64.b64encode(jis(text)).decode("ascii") + "?="


def message(headers, body):
    """Headers (ASCII text) and a body (bytes or str) joined with CRLF line ends."""
    if isinstance(body, str):
        body = body.encode("ascii")
    head = "\r\n".join(headers).encode("ascii")
    body = body.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    return head + b"\r\n\r\n" + body


def samples():
    date = "Date: Mon, 7 Dec 2026 09:00:00 +0900"
    yield "01-plain-ascii", message(
        [date, "From: Alice Example <alice@example.com>", "To: tester@example.com", "Subject: Lunch on Friday",
         "Message-ID: <plain-1@example.com>"],
        "Hi,\n\nShall we have lunch on Friday?\nThe usual place at noon.\nAlice\n")
    yield "02-japanese", message(
        [date, "From: " + word("山田太郎") + " <taro@example.jp>", "To: tester@example.com",
         "Subject: " + word("会議のお知らせ"), "Message-ID: <jis-2@example.jp>", "MIME-Version: 1.0",
         "Content-Type: text/plain; charset=ISO-2022-JP", "Content-Transfer-Encoding: 7bit"],
        jis("皆様\n\n明日の会議は十時からです。\n資料をお持ちください。\n山田\n"))
    yield "03-multipart-preamble", message(
        [date, "From: Bob <bob@example.com>", "To: tester@example.com", "Subject: Report attached",
         "Message-ID: <mp-3@example.com>", "MIME-Version: 1.0",
         'Content-Type: multipart/mixed; boundary="XYZ"'],
        "This is a multi-part message in MIME format.\n\n--XYZ\nContent-Type: text/plain; charset=us-ascii\n\n"
        "Here is the report.\nSee the attachment.\n\n--XYZ\nContent-Type: application/octet-stream\n"
        "Content-Transfer-Encoding: base64\n\nAAECAwQF\n--XYZ--\n")
    yield "04-multipart-no-preamble", message(
        [date, "From: " + word("佐藤花子") + " <hanako@example.jp>", "To: tester@example.com",
         "Subject: " + word("写真を送ります"), "Message-ID: <mp-4@example.jp>", "MIME-Version: 1.0",
         'Content-Type: multipart/mixed; boundary="b1"'],
        b"--b1\nContent-Type: text/plain; charset=ISO-2022-JP\n\n" + jis("旅行の写真です。\n楽しかったね。\n")
        + b"\n--b1\nContent-Type: image/png\nContent-Transfer-Encoding: base64\n\niVBORw0KGgo=\n--b1--\n")
    yield "05-dot-line", message(
        [date, "From: Carol <carol@example.com>", "To: tester@example.com", "Subject: Dots",
         "Message-ID: <dot-5@example.com>"],
        ".hidden line starts with a dot\n..two dots\nlast line\n")
    yield "06-long-subject", message(
        [date, "From: " + word("鈴木一郎") + " <ichiro@example.jp>", "To: tester@example.com",
         "Subject: " + word("来週の打ち合わせの日程と") + "\r\n " + word("場所についてのご相談"),
         "Message-ID: <long-6@example.jp>", "MIME-Version: 1.0",
         "Content-Type: text/plain; charset=ISO-2022-JP"],
        jis("日程の候補をお送りします。\n") )


MESSAGES = Path(__file__).resolve().parents[2] / "mail" / "messages"


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for name, data in samples():
        (out / (name + ".eml")).write_bytes(data)
    for path in sorted(MESSAGES.glob("*.eml")):
        (out / path.name).write_bytes(path.read_bytes())


if __name__ == "__main__":
    main()
