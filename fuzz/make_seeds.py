#!/usr/bin/env python3
"""Writes the small seed corpus of the fuzz targets into fuzz/corpus/<target>/ (run once; the files are kept in git).

Integers that the targets take with FuzzedDataProvider come from the END of an input, texts from its front."""
import base64
import os
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def jis(text):
    return text.encode("iso-2022-jp")


def word(text):
    return b"=?ISO-2022-JP?B?" + base64.b64encode(jis(text)) + b"?="


def put(target, name, data):
    folder = os.path.join(ROOT, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def message(subject, sender, body, multipart=False):
    head = b"From: " + sender + b"\r\nSubject: " + subject + b"\r\n"
    if multipart:
        head += b'Content-Type: multipart/mixed; boundary="b1"\r\n\r\npreamble\r\n--b1\r\n'
        head += b"Content-Type: text/plain; charset=ISO-2022-JP\r\n"
    return head + b"\r\n" + body + b"\r\n.\r\n"


subject = word("猫からのお知らせ")
sender = word("山田太郎") + b" <taro@example.jp>"
body = jis("こんにちは。") + b"\r\n\r\n" + jis("明日の会議について") + b"\r\n..dot\r\nlast"

put("header_decoder", "subject", subject)
put("header_decoder", "from", sender)
put("header_decoder", "two-words", word("猫") + b" " + word("犬"))
put("header_decoder", "raw-jis", jis("本文のテキスト") + b" plain")
put("header_decoder", "q-word", b"=?iso-2022-jp?Q?=1B$B$3=1B(B?= x")
put("header_decoder", "no-close", b"=?ISO-2022-JP?B?GyRCJEokcxsoQg== " + jis("猫"))
put("header_decoder", "overlap", b"=?=")
put("header_decoder", "utf8-word", b"=?UTF-8?B?" + base64.b64encode("猫".encode()) + b"?=")
put("header_decoder", "encoded-name", b"W" + bytes(range(0x21, 0x61)))
put("header_decoder", "split-utf8", b"U" + bytes(range(0x30, 0x90)))
put("header_decoder", "raw-utf8", "Re: 会議の件 🐱".encode())
put("header_decoder", "raw-euc", "忘年会".encode("euc_jp"))
put("header_decoder", "latin1-q", b"=?ISO-8859-1?Q?caf=E9?= =?koi8-r?B?8NLJ18XU?=")
put("header_decoder", "cjk-words", b"=?gb2312?B?" + base64.b64encode("会议日程".encode("gb2312")) + b"?= =?big5?B?"
    + base64.b64encode("會議".encode("big5")) + b"?= =?ks_c_5601-1987?B?" + base64.b64encode("회의 會議".encode("cp949"))
    + b"?=")
# 'C', the bytes, and the charset's place in text::Charset at the end (15 GBK, 16 Big5, 17 EUC-KR).
put("header_decoder", "convert-gb18030", b"C" + "日本语 ｶ🐱".encode("gb18030") + b"\x81\x30" + bytes([15]))
put("header_decoder", "convert-big5", b"C" + "會議 あ".encode("cp950") + b"\x88\x40\xa4" + bytes([16]))
put("header_decoder", "convert-uhc", b"C" + "똠방 韓國".encode("cp949") + b"\xc7\x41\xb0" + bytes([17]))

# Body preview: the Content-Type value and the encoding each end at a backslash and another character (how the
# fuzzer's random-length strings end), the body follows; the wanted line count comes from the end.
qp = "".join("=%02X" % b for b in "お世話になっております。".encode())
put("body_preview", "built-message", b"M" + bytes(range(0x20, 0xA0)))
put("body_preview", "qp-utf8", b"text/plain; charset=utf-8\\;quoted-printable\\;" + qp.encode() + b"=\n=0A\x05")
put("body_preview", "html-base64", b"text/html; charset=UTF-8\\;base64\\;"
    + base64.encodebytes("<html><style>x</style><p>猫&amp;犬&#x1F431;</p></html>".encode()) + b"\x03")
put("body_preview", "multipart", b"multipart/alternative; boundary=b\\;\\;"
    + b"--b\nContent-Type: text/plain; charset=ISO-2022-JP\n\n" + jis("こんにちは") + b"\n--b--\n\x02")
# Repeated by the target to 32 KiB and to four times that: shapes that a scan starting again at each position
# reads slowly.
put("body_preview", "linear-ampersands", b"Ltext/html\\;&&#x&amp\x02")
put("body_preview", "linear-tags", b"Ltext/html\\;<<!--<a '</\x02")
put("body_preview", "linear-script", b"Ltext/html\\;<script></scrip\n\x02")
put("body_preview", "linear-multipart", b"Lmultipart/mixed; boundary=b\\;--bx\n--b\nContent-Type: multipart/mixed; "
    b"boundary=b\n\n\x02")

# The message files of the shapes the preview reads inside and around (enclosed messages, odd types, the JIS marks):
# their Content-Type and transfer encoding unfolded from the header, then their body.
MESSAGES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "mail", "messages")
for name in ["19-forwarded-as-attachment", "20-enclosed-message-alone", "21-delivery-report",
             "22-type-without-subtype", "23-text-log-part", "25-wave-dash-utf-8", "26-html-capital-entities",
             "27-gb18030-four-byte"]:
    with open(os.path.join(MESSAGES, name + ".eml"), "rb") as f:
        head, _, body = f.read().partition(b"\r\n\r\n")
    fields = {}
    for line in head.replace(b"\r\n ", b" ").replace(b"\r\n\t", b" ").split(b"\r\n"):
        key, _, value = line.partition(b":")
        fields[key.lower()] = value.strip()
    put("body_preview", "message-" + name[3:], fields.get(b"content-type", b"") + b"\\;"
        + fields.get(b"content-transfer-encoding", b"") + b"\\;" + body + b"\x02")

put("line_reader", "crlf", b"\x01\x10\x00+OK ready\r\nline\r\n\r\n.\r\n")
put("line_reader", "mixed-ends", b"\x00\x40\x01a\rb\nc\r\r\nd\n\re\x00f")
put("line_reader", "long", b"\x01\xff\x03" + b"x" * 1500 + b"\r\n")

put("stat_reply", "usual", b"+OK 3 1200\r\n")
put("stat_reply", "double-blank", b"+OK  3 1200\r\n")
put("stat_reply", "trailing", b"+OK 3 1200 messages\r\n")
put("stat_reply", "refused", b"-ERR no\r\n")
put("stat_reply", "split", b"+OK 1\x00\x00\x0000 2\r\n")

put("list_reply", "usual", b"1 120\\x2 3400\\x3 99\\x.\\x\x03")
put("list_reply", "short", b"1 120\\x.\\x\x05")
put("list_reply", "no-blank", b"1 120\\xjunk\\x3 5\\x.\\x\x03")
put("list_reply", "huge", b"1 99999999999\\x2 -5\\x3   +7x\\x.\\x\x03")

put("top_reply", "plain", message(b"Hello", b"Taro", b"Dear Taro,\r\n\r\nSee you.\r\nBye").replace(b"\r\n", b"\n") + b"\x02")
put("top_reply", "japanese", message(subject, sender, body).replace(b"\r\n", b"\n") + b"\x03")
put("top_reply", "multipart", message(b"Parts", b"Hanako", b"first\r\nsecond", True).replace(b"\r\n", b"\n") + b"\x02")
put("top_reply", "folded", b"Subject: =?ISO-2022-JP?B?GyRCJEobKEI=?=\n =?ISO-2022-JP?B?GyRCJHMbKEI=?=\nFrom: x\n\nbody\n.\n\x01")
# Folded past the part of a field that is kept, raw Shift_JIS and encoded words across the limit.
put("top_reply", "folded-long", b"Subject: a" + b"\n \x89\xef\x83\x5c =?UTF-8?B?5Lya6K2w?=" * 200
    + b"\nFrom: b" + b"\n\t=?utf-8?q?=E7=8C=AB?= x" * 250 + b"\n\nbody\n.\n\x01")


def conversation(messages, sizes):
    replies = b"+OK %d %d\r\n" % (len(messages), sum(sizes))
    for m in messages:
        replies += b"+OK\r\n" + m
    replies += b"+OK\r\n" + b"".join(b"%d %d\r\n" % (i + 1, s) for i, s in enumerate(sizes)) + b".\r\n"
    return replies + b"+OK\r\n" * (len(messages) + 1)


three = [message(b"Hello", b"Taro", b"Dear Taro,\r\n\r\nSee you."),
         message(subject, sender, body),
         message(b"Parts", b"Hanako", b"first\r\nsecond", True)]
# Read from the end: the mode (1 byte: 0 arbitrary replies, 1 a mailbox of arbitrary messages), marks (4 bytes),
# head count (1 byte), chunk size (2 bytes).
REPLIES, MAILBOX = b"\x00", b"\x01"
put("check_conversation", "three",
    conversation(three, [300, 1200, 4100]) + b"\x00\x07\x01" + struct.pack(">I", 0b101) + REPLIES)
put("check_conversation", "one-chunked", conversation(three[:1], [77]) + b"\x00\x01\x00" + struct.pack(">I", 1) + REPLIES)
put("check_conversation", "empty", b"+OK 0 0\r\n+OK\r\n" + b"\x01\x00\x00" + struct.pack(">I", 0) + REPLIES)
put("check_conversation", "no-list",
    b"+OK 1 5\r\n+OK\r\nSubject: a\r\n\r\nb\r\n.\r\n-ERR\r\n+OK\r\n" + b"\x01\x00\x00\xff\xff\xff\xff" + REPLIES)


def mailbox(messages):
    """Messages for ConsumeRandomLengthString: a backslash doubled, each message ended by a backslash and 'x'."""
    return b"".join(m.replace(b"\\", b"\\\\") + b"\\x" for m in messages)


third_party = [
    b"From: Shop\r\nSubject: Offer\r\n\r\nbuy now\r.\r\n+OK\r\nFrom: Mallory\r\nSubject: Invented\r\n\r\nfake\r\n",
    b"From: Hanako\r\nSubject: Photos\r\n\r\nHere they are.\r\n",
    b"From: Zero\r\nSubject: Zero\x00Day\r\n\r\nnul\x00here\r\n\x00\r\n.\r\n",
    b"From: Lawyer\r\nSubject: Contract\r\n\r\nPlease sign.\r\n",
]
put("check_conversation", "bare-cr-and-zero", mailbox(third_party) + b"\x00\x40\x01" + struct.pack(">I", 0b10) + MAILBOX)
put("check_conversation", "long-lines",
    mailbox([b"Subject: " + b"s" * 1500 + b"\r\n\r\n" + b"b" * 3000 + b"\r\n.." + b"d" * 1100, b".\n.\r\n\r.\n"])
    + b"\x03\xff\x02" + struct.pack(">I", 0b11) + MAILBOX)
put("check_conversation", "bare-lf", mailbox([b"Subject: lf\n\nfirst\nsecond\n.\nthird", b"", b"no end\r"])
    + b"\x00\x05\x00" + struct.pack(">I", 0b101) + MAILBOX)

put("ini_read", "settings", b"hello\\x[SETTING]\r\nSERVER=pop.example.jp\r\nUSER=neko\r\nPASS=LNMNNN\r\n"
    b"POP3_PORT=110\r\nTimerMin=0x1e\r\nHeadCount=3\r\nAPOP=1\r\n\x01")
put("ini_read", "messy", b"  \"quoted\" \\x[other]\n x = 1\n[setting] trailing\nserver = \"a b\"\nSERVER=second\n[SETTING\nX=-5\x00")
put("ini_read", "sjis", "表示=ソフト\\x[SETTING]\r\nPlaySound=C:\\音\\猫.wav\r\n".encode("cp932") + b"\x00")

put("decode_pass", "stored", b"LNMNNNONPNAO")
put("decode_pass", "odd", b"LNMNN")
put("decode_pass", "outside", b"zz\x00\xff!!")
