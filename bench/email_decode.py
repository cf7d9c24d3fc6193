#!/usr/bin/env python3
"""The decoding benchmark's corpus and its Python peer.

  email_decode.py make FILE           writes the mixed corpus: UTF-8 and ISO-2022-JP encoded words, raw 8-bit
                                      headers, quoted-printable and Base64 bodies, multipart mail
  email_decode.py time FILE ROUNDS    decodes it all to Shift_JIS with Python's email package (decode_header and
                                      the codecs for headers, message_from_bytes and get_body for bodies) and
                                      prints the median seconds of one pass

A record is a kind letter ("H" header, "B" body) and fields, each a decimal length, a newline and the bytes:
a header has its raw value, the charset of its text and that text already decoded from Base64/QP; a body has its
Content-Type, its Content-Transfer-Encoding, its lines joined by LF, the charset and the transfer-decoded text.
"""
import base64
import email
import email.header
import quopri
import statistics
import sys
import time
from email import policy

SUBJECTS = ["【お知らせ】年末年始の営業について🎍", "ご注文ありがとうございます（注文番号 12345）", "Re: 来週の打ち合わせの日程",
            "週報 2026年12月第1週", "🎉新商品のご案内🎉 冬のセール開催中", "パスワード変更のお願い"]
NAMES = ["株式会社ネコ商店", "山田 太郎", "佐藤花子", "ネコ通信編集部"]
TEXT = ("いつもご利用いただきありがとうございます。\n本日は年末年始の営業についてお知らせいたします。\n"
        "12月29日から1月3日まではお休みをいただきます。\nご不便をおかけしますが、よろしくお願いいたします。\n\n"
        "ご注文は24時間受け付けております。\n休業中のご注文は1月4日より順次発送いたします。\n"
        "お問い合わせはメールにて承ります。\n今後ともネコ商店をよろしくお願いいたします。\n")


def word(text, charset, encoding="B"):
    raw = text.encode(charset)
    if encoding == "B":
        return "=?%s?B?%s?=" % (charset.upper(), base64.b64encode(raw).decode())
    q = "".join(chr(b) if chr(b).isalnum() and b < 128 else "_" if b == 32 else "=%02X" % b for b in raw)
    return "=?%s?Q?%s?=" % (charset.upper(), q)


def records():
    for i in range(40):
        subject = SUBJECTS[i % len(SUBJECTS)]
        name = NAMES[i % len(NAMES)]
        address = " <user%d@example.jp>" % i
        yield "H", [word(subject, "utf-8").encode(), b"UTF-8", subject.encode()]
        yield "H", [word(subject, "utf-8", "Q").encode(), b"UTF-8", subject.encode()]
        yield "H", [(word(name, "utf-8") + address).encode(), b"UTF-8", (name + address).encode()]
        jis_subject = subject.replace("🎍", "").replace("🎉", "")
        half = len(jis_subject) // 2
        yield "H", [(word(jis_subject[:half], "iso-2022-jp") + "\r\n " + word(jis_subject[half:], "iso-2022-jp")).encode(),
                    b"ISO-2022-JP", jis_subject[:half].encode("iso-2022-jp") + jis_subject[half:].encode("iso-2022-jp")]
        yield "H", [(word(name, "iso-2022-jp") + address).encode(), b"ISO-2022-JP",
                    name.encode("iso-2022-jp") + address.encode()]
        yield "H", [jis_subject.encode("iso-2022-jp"), b"ISO-2022-JP", jis_subject.encode("iso-2022-jp")]
        yield "H", [subject.encode(), b"UTF-8", subject.encode()]
        yield "H", [jis_subject.encode("cp932"), b"CP932", jis_subject.encode("cp932")]
        if i % 4 == 0:
            text = TEXT.encode()
            yield "B", [b"text/plain; charset=utf-8", b"quoted-printable", quopri.encodestring(text), b"UTF-8", text]
            yield "B", [b"text/plain; charset=UTF-8", b"base64", base64.encodebytes(text), b"UTF-8", text]
            jis = TEXT.encode("iso-2022-jp")
            yield "B", [b"text/plain; charset=ISO-2022-JP", b"7bit", jis, b"ISO-2022-JP", jis]
            multipart = (b"--b\nContent-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: quoted-printable\n\n"
                         + quopri.encodestring(text) + b"\n--b\nContent-Type: text/html; charset=UTF-8\n\n<p>x</p>\n--b--\n")
            yield "B", [b'multipart/alternative; boundary="b"', b"", multipart, b"UTF-8", text]


def make(path):
    with open(path, "wb") as f:
        for kind, fields in records():
            f.write(kind.encode())
            for field in fields:
                f.write(b"%d\n" % len(field) + field)


def load(path):
    data = open(path, "rb").read()
    out, at = [], 0
    while at < len(data):
        kind = chr(data[at])
        at += 1
        fields = []
        for _ in range(3 if kind == "H" else 5):
            newline = data.index(b"\n", at)
            length = int(data[at:newline])
            fields.append(data[newline + 1:newline + 1 + length])
            at = newline + 1 + length
        out.append((kind, fields))
    return out


def header_text(raw):
    """The whole job for one header value: encoded words, or raw 8-bit text whose charset is guessed."""
    if b"=?" in raw:
        parts = email.header.decode_header(raw.decode("ascii", "replace"))
        text = "".join(p.decode(c or "ascii", "replace") if isinstance(p, bytes) else p for p, c in parts)
    elif b"\x1b" in raw:
        text = raw.decode("iso-2022-jp", "replace")
    else:
        try:
            text = raw.decode("utf-8")
        except UnicodeDecodeError:
            text = raw.decode("cp932", "replace")
    return text.encode("cp932", "replace")


def body_text(content_type, encoding, body):
    head = b"Content-Type: " + content_type + b"\n"
    if encoding:
        head += b"Content-Transfer-Encoding: " + encoding + b"\n"
    message = email.message_from_bytes(b"MIME-Version: 1.0\n" + head + b"\n" + body, policy=policy.default)
    part = message.get_body(("plain", "html"))
    return part.get_content().encode("cp932", "replace")


def time_all(path, rounds):
    corpus = load(path)
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        for kind, fields in corpus:
            if kind == "H":
                header_text(fields[0])
            else:
                body_text(fields[0], fields[1], fields[2])
        times.append(time.perf_counter() - start)
    print("%.6f" % statistics.median(times))


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2])
    else:
        time_all(sys.argv[2], int(sys.argv[3]))
