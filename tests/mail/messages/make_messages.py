#!/usr/bin/env python3
"""Wrote the real-world shaped messages beside this file (kept as they are): python3 make_messages.py DIR"""
import base64, quopri, sys
from pathlib import Path
out = Path(sys.argv[1])
DATE = "Date: Tue, 8 Dec 2026 08:15:00 +0900"

def b(text, cs="UTF-8"):
    return "=?%s?B?%s?=" % (cs, base64.b64encode(text.encode(cs.lower().replace("windows-", "cp"))).decode())

def q(text, cs="UTF-8"):
    raw = text.encode(cs.lower().replace("windows-", "cp"))
    s = ""
    for byte in raw:
        c = chr(byte)
        if c == " ":
            s += "_"
        elif c.isalnum() and byte < 128:
            s += c
        else:
            s += "=%02X" % byte
    return "=?%s?Q?%s?=" % (cs, s)

def sjis_to_jis(text):
    """ISO-2022-JP as Windows writes it: NEC row 13 characters included."""
    out, kanji = b"", False
    for ch in text:
        code = ch.encode("cp932")
        if len(code) == 1:
            if kanji:
                out += b"\x1b(B"
                kanji = False
            out += code
            continue
        s1, s2 = code
        row = (s1 - 0x70 if s1 < 0xA0 else s1 - 0xB0) * 2 - 1
        if s2 >= 0x9F:
            row, cell = row + 1, s2 - 0x7E
        else:
            cell = s2 - 0x1F if s2 < 0x80 else s2 - 0x20
        if not kanji:
            out += b"\x1b$B"
            kanji = True
        out += bytes([row, cell])
    return out + (b"\x1b(B" if kanji else b"")


def msg(headers, body):
    if isinstance(body, str):
        body = body.encode("utf-8")
    head = b"\r\n".join(h if isinstance(h, bytes) else h.encode("ascii") for h in headers).replace(b"\r\n", b"\n")
    head = head.replace(b"\n", b"\r\n")
    body = body.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    return head + b"\r\n\r\n" + body

def b64body(data, width=76):
    s = base64.b64encode(data).decode()
    return "\n".join(s[i:i + width] for i in range(0, len(s), width)) + "\n"

def qp(text, cs="utf-8"):
    return quopri.encodestring(text.encode(cs)).decode("ascii")

m = {}
m["07-utf8-base64-emoji"] = msg(
    [DATE, "From: " + b("株式会社ネコ商店") + " <shop@example.jp>", "To: tester@example.com",
     "Subject: " + b("ご注文ありがとうございます🎉"), "Message-ID: <u8b-7@example.jp>", "MIME-Version: 1.0",
     "Content-Type: text/plain; charset=UTF-8", "Content-Transfer-Encoding: base64"],
    b64body("山田様\n\nこの度はご注文いただき誠にありがとうございます。\n発送まで今しばらくお待ちください。\n".encode()))
# A soft line break in the middle of a character: the bytes of "送" are split over two lines.
body8 = "お世話になっております。\n本日のおすすめ☕をお送りします。\n"
enc8 = qp(body8)
m["08-utf8-quoted-printable"] = msg(
    [DATE, "From: " + q("佐藤 花子") + " <hanako.sato@example.jp>", "To: tester@example.com",
     "Subject: " + q("今日のおすすめ🍰とコーヒー"), "Message-ID: <u8q-8@example.jp>", "MIME-Version: 1.0",
     "Content-Type: text/plain; charset=utf-8", "Content-Transfer-Encoding: quoted-printable"],
    "=E3=81=8A=E4=B8=96=E8=A9=B1=E3=81=AB=E3=81=AA=E3=81=A3=E3=81=A6=E3=81=8A=E3=82=8A=E3=81=BE=E3=81=99=E3=80=\n"
    "=82\n=E6=9C=AC=E6=97=A5=E3=81=AE=E3=81=8A=E3=81=99=E3=81=99=E3=82=81=E2=98=95=E3=82=92=E3=81=8A=E9=80=\n"
    "=81=E3=82=8A=E3=81=97=E3=81=BE=E3=81=99=E3=80=82\n")
subject9 = "請求書の送付について".encode()
cut = 7  # inside the third character
m["09-utf8-split-word"] = msg(
    [DATE, "From: billing@example.jp", "To: tester@example.com",
     "Subject: =?UTF-8?B?" + base64.b64encode(subject9[:cut]).decode() + "?=\n =?UTF-8?B?"
     + base64.b64encode(subject9[cut:]).decode() + "?=", "Message-ID: <split-9@example.jp>", "MIME-Version: 1.0",
     "Content-Type: text/plain; charset=UTF-8", "Content-Transfer-Encoding: 8bit"],
    "今月分の請求書を添付いたします。\nご確認ください。\n".encode())
m["10-raw-shift-jis"] = msg(
    [DATE, b"From: " + "経理部".encode("cp932") + b" <keiri@example.co.jp>", "To: tester@example.com",
     b"Subject: " + "見積もりの件（再送）".encode("cp932"), "Message-ID: <sjis-10@example.co.jp>"],
    "見積書を再送いたします。\nよろしくお願いいたします。\n".encode("cp932"))
m["11-raw-iso-2022-jp"] = msg(
    [DATE, b"From: " + "鈴木一郎".encode("iso2022_jp") + b" <ichiro@example.jp>", "To: tester@example.com",
     b"Subject: " + "ｶﾀｶﾅ混じりの件名です".encode("iso2022_jp_ext"), "Message-ID: <jis-11@example.jp>",
     "Content-Type: text/plain; charset=iso-2022-jp"],
    sjis_to_jis("㈱ネコ商事より①番目のご案内です。\n"))
m["12-euc-jp-body"] = msg(
    [DATE, "From: " + b("田中美咲", "EUC-JP") + " <misaki@example.jp>", "To: tester@example.com",
     "Subject: " + b("忘年会の出欠確認", "EUC-JP"), "Message-ID: <euc-12@example.jp>", "MIME-Version: 1.0",
     "Content-Type: text/plain; charset=EUC-JP", "Content-Transfer-Encoding: 8bit"],
    "皆様\n\n今年の忘年会は十二月二十日です。\nｶﾗｵｹもあります。\n".encode("euc_jp"))
plain13 = "ネコ通信 2026年12月号\n\n今月の特集：冬のあったかグッズです。\nふわふわの毛布をご紹介します。\n"
html13 = ("<html><head><title>ネコ通信</title><style>p{color:red}</style></head><body>"
          "<p>ネコ通信 2026年12月号</p></body></html>\n")
m["13-newsletter-alternative"] = msg(
    [DATE, "From: " + b("ネコ通信") + " <news@example.jp>", "To: tester@example.com",
     "Subject: " + b("【ネコ通信】冬のあったかグッズ特集"), "Message-ID: <news-13@example.jp>", "MIME-Version: 1.0",
     'Content-Type: multipart/alternative;\n boundary="==alt-13=="'],
    "--==alt-13==\nContent-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: quoted-printable\n\n"
    + qp(plain13) + "\n--==alt-13==\nContent-Type: text/html; charset=UTF-8\n"
    "Content-Transfer-Encoding: quoted-printable\n\n" + qp(html13) + "\n--==alt-13==--\n")
html14 = ("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>セール</title>\n"
          "<style type=\"text/css\">\nbody { font-family: sans-serif; }\n.big { font-size: 20px; }\n</style>\n"
          "<script>var tracking = \"<p>not text</p>\";</script></head>\n<body><!-- header banner -->\n"
          "<table><tr><td><img src=\"cid:logo\" alt=\"\"></td></tr></table>\n"
          "<h1 class=\"big\">年末セール&nbsp;開催中！</h1>\n"
          "<p>全品&#37;オフ&amp;送料無料 &lt;12月31日まで&gt;</p>\n<p>&#x1F381; プレゼント付き</p>\n</body></html>\n")
m["14-html-only-base64"] = msg(
    [DATE, "From: " + b("ネコ商店") + " <sale@example.jp>", "To: tester@example.com",
     "Subject: " + b("年末セールのお知らせ"), "Message-ID: <html-14@example.jp>", "MIME-Version: 1.0",
     "Content-Type: text/html; charset=\"utf-8\"", "Content-Transfer-Encoding: base64"],
    b64body(html14.encode()))
pdf = bytes((i * 37 + 11) % 256 for i in range(3000))
m["15-nested-attachment-first"] = msg(
    [DATE, "From: " + b("高橋健太") + " <kenta@example.jp>", "To: tester@example.com",
     "Subject: " + b("資料を送ります"), "Message-ID: <nested-15@example.jp>", "MIME-Version: 1.0",
     'Content-Type: multipart/mixed; boundary="outer-15"'],
    "This is a multi-part message in MIME format.\n\n--outer-15\n"
    "Content-Type: application/pdf; name=\"shiryou.pdf\"\nContent-Disposition: attachment; filename=\"shiryou.pdf\"\n"
    "Content-Transfer-Encoding: base64\n\n" + b64body(pdf) + "\n--outer-15\n"
    'Content-Type: multipart/alternative; boundary="inner-15"\n\n--inner-15\n'
    "Content-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: quoted-printable\n\n"
    + qp("会議の資料を添付します。\nご確認ください。\n") + "\n--inner-15\n"
    "Content-Type: text/html; charset=UTF-8\n\n<p>会議の資料を添付します。</p>\n--inner-15--\n\n--outer-15--\n".encode().decode())
m["16-windows-1252-quotes"] = msg(
    [DATE, "From: " + q("Zoë Smith", "windows-1252") + " <zoe@example.com>", "To: tester@example.com",
     "Subject: " + q("“Smart quotes” and ‘apostrophes’", "windows-1252"), "Message-ID: <cp1252-16@example.com>",
     "MIME-Version: 1.0", "Content-Type: text/plain; charset=windows-1252", "Content-Transfer-Encoding: 8bit"],
    "It’s a “test” × 2.\n".encode("cp1252"))
m["17-koi8-r"] = msg(
    [DATE, "From: " + b("Иван Петров", "KOI8-R") + " <ivan@example.ru>", "To: tester@example.com",
     "Subject: " + b("Привет из Москвы", "KOI8-R"), "Message-ID: <koi8-17@example.ru>", "MIME-Version: 1.0",
     "Content-Type: text/plain; charset=koi8-r", "Content-Transfer-Encoding: 8bit"],
    "Добрый день!\n".encode("koi8_r"))
# Chinese and Korean: hanzi and hanja that code page 932 holds as kanji survive, the rest (simplified hanzi, hangul)
# becomes the geta mark.
m["18-chinese-korean"] = msg(
    [DATE, "From: " + b("陳大文", "Big5") + " <chan@example.tw>", "To: tester@example.com",
     "Subject: " + b("会议通知：明天下午三点", "GB2312"), "Message-ID: <cjk-18@example.cn>", "MIME-Version: 1.0",
     "Content-Type: text/plain; charset=ks_c_5601-1987", "Content-Transfer-Encoding: base64"],
    b64body("안녕하세요. 會議 자료입니다.\nOK\n".encode("cp949")))
# Forwarded as an attachment: the enclosed message is the only text there is.
inner19 = msg(
    ["From: " + b("小林さくら") + " <sakura@example.jp>", "To: team@example.jp", "Subject: " + b("来月の予定"),
     "MIME-Version: 1.0", "Content-Type: text/plain; charset=UTF-8", "Content-Transfer-Encoding: quoted-printable"],
    qp("来月の予定をお知らせします。\n説明会は午後二時からです。\n"))
m["19-forwarded-as-attachment"] = msg(
    [DATE, "From: " + b("山本大輔") + " <daisuke@example.jp>", "To: tester@example.com",
     "Subject: " + b("Fwd: 来月の予定"), "Message-ID: <fwd-19@example.jp>", "MIME-Version: 1.0",
     'Content-Type: multipart/mixed; boundary="fwd-19"'],
    b"--fwd-19\nContent-Type: message/rfc822; name=\"forward.eml\"\n"
    b"Content-Disposition: attachment; filename=\"forward.eml\"\n\n" + inner19 + b"\n--fwd-19--\n")
# A message that is nothing but an enclosed one, whose long header pushes its text past the first TOP; inside, a
# multipart/alternative in Base64.
inner20 = msg(
    ["Received: from mx1.example.jp (mx1.example.jp [192.0.2.10])", "\tby mx2.example.jp with ESMTP id 4ABC",
     "Received: from client.example.jp (client.example.jp [192.0.2.20])", "\tby mx1.example.jp with ESMTP id 3DEF",
     "Date: Mon, 7 Dec 2026 18:30:00 +0900", "From: " + b("中村") + " <nakamura@example.jp>",
     "To: tester@example.com", "Subject: " + b("社内報"), "Message-ID: <inner-20@example.jp>", "MIME-Version: 1.0",
     'Content-Type: multipart/alternative; boundary="alt-20"'],
    "--alt-20\nContent-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: base64\n\n"
    + b64body("社内報十二月号をお届けします。\n今月は忘年会の特集です。\n".encode())
    + "--alt-20\nContent-Type: text/html; charset=UTF-8\n\n<p>社内報</p>\n--alt-20--\n")
m["20-enclosed-message-alone"] = msg(
    [DATE, "From: archive@example.jp", "To: tester@example.com", "Subject: Archived message",
     "Message-ID: <alone-20@example.jp>", "MIME-Version: 1.0", "Content-Type: message/rfc822"], inner20)
# A delivery report without its human-readable part: the returned message is read.
m["21-delivery-report"] = msg(
    [DATE, "From: Mail Delivery System <MAILER-DAEMON@example.jp>", "To: tester@example.com",
     "Subject: Undelivered Mail Returned to Sender", "Message-ID: <dsn-21@example.jp>", "MIME-Version: 1.0",
     'Content-Type: multipart/report; report-type=delivery-status;\n boundary="dsn-21"'],
    b"--dsn-21\nContent-Type: message/delivery-status\n\nReporting-MTA: dns; mx.example.jp\n\n"
    b"Final-Recipient: rfc822; nobody@example.jp\nAction: failed\nStatus: 5.1.1\n\n--dsn-21\n"
    b"Content-Type: message/rfc822\n\nFrom: tester@example.com\nSubject: " + "お見積もり".encode("iso2022_jp")
    + b"\nContent-Type: text/plain; charset=ISO-2022-JP\n\n" + "お見積もりをお送りします。\n".encode("iso2022_jp")
    + b"\n--dsn-21--\n")
# A type without its subtype, and raw header bytes in the charset the message declares.
m["22-type-without-subtype"] = msg(
    [DATE, b"From: " + "Борис".encode("cp1251") + b" <boris@example.ru>", "To: tester@example.com",
     b"Subject: " + "Отчёт за неделю".encode("cp1251"), "Message-ID: <nosub-22@example.ru>", "MIME-Version: 1.0",
     "Content-Type: text; charset=windows-1251", "Content-Transfer-Encoding: 8bit"],
    "Добрый вечер!\nОтчёт во вложении.\n".encode("cp1251"))
# An unknown text subtype as the only text part.
m["23-text-log-part"] = msg(
    [DATE, "From: cron@example.jp", "To: tester@example.com", "Subject: Nightly backup log",
     "Message-ID: <log-23@example.jp>", "MIME-Version: 1.0", 'Content-Type: multipart/mixed; boundary="log-23"'],
    "--log-23\nContent-Type: text/x-log; charset=us-ascii\n\n02:00 backup started\n02:14 backup finished: 3.2 GB\n"
    "--log-23\nContent-Type: application/gzip; name=\"backup.log.gz\"\nContent-Transfer-Encoding: base64\n\n"
    "H4sIAAAAAAAAA0tMSgYAGAZYVAMAAAA=\n--log-23--\n")
# Raw ISO-8859-1 header bytes; the charset comes from the first text part of a multipart message.
m["24-raw-latin-1-header"] = msg(
    [DATE, b"From: J\xfcrgen M\xfcller <juergen@example.de>", "To: tester@example.com",
     b"Subject: Gr\xfc\xdfe \xa3 5", "Message-ID: <latin1-24@example.de>", "MIME-Version: 1.0",
     'Content-Type: multipart/alternative; boundary="l1-24"'],
    b"--l1-24\nContent-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: 8bit\n\n"
    b"Viele Gr\xfc\xdfe aus Berlin, \xa3 5 und \xa7 3.\n--l1-24--\n")
# The wave dash and its relatives, as Macs, phones and web mail write them.
m["25-wave-dash-utf-8"] = msg(
    [DATE, "From: " + b("森 ゆい") + " <yui@example.jp>", "To: tester@example.com",
     "Subject: " + b("週末の予定 — weekend"), "Message-ID: <wave-25@example.jp>", "MIME-Version: 1.0",
     "Content-Type: text/plain; charset=UTF-8", "Content-Transfer-Encoding: quoted-printable"],
    qp("3月〜5月は休みです。\n¢と£と¬、‖と−1。\n"))
# HTML with the capital entity names.
m["26-html-capital-entities"] = msg(
    [DATE, "From: " + b("ネコ工房") + " <kobo@example.jp>", "To: tester@example.com",
     "Subject: " + b("新作のご案内"), "Message-ID: <caps-26@example.jp>", "MIME-Version: 1.0",
     "Content-Type: text/html; charset=UTF-8", "Content-Transfer-Encoding: 8bit"],
    "<html><body><p>新作 &LT;冬&GT; &AMP; &QUOT;春&QUOT;</p></body></html>\n".encode())
# GB18030 four-byte sequences: half-width katakana and the katakana middle dot.
m["27-gb18030-four-byte"] = msg(
    [DATE, "From: " + b("王小明", "GB18030") + " <wang@example.cn>", "To: tester@example.com",
     "Subject: " + b("ｶﾀﾛｸﾞ・目录", "GB18030"), "Message-ID: <gb-27@example.cn>", "MIME-Version: 1.0",
     "Content-Type: text/plain; charset=GB18030", "Content-Transfer-Encoding: base64"],
    b64body("ｶﾀﾛｸﾞ・日本\n".encode("gb18030")))
out.mkdir(parents=True, exist_ok=True)
for name, data in m.items():
    (out / (name + ".eml")).write_bytes(data)
