#!/usr/bin/env python3
"""Fills the test peer's maildir ($QV_MAILDIR) with N realistic messages for the benchmarks: a dozen header lines,
half of them Japanese (ISO-2022-JP encoded words in the header, JIS text in the body), bodies of 20 to 60 lines.
Usage: fill_mailbox.py N"""
import base64
import os
import random
import shutil
import sys

random.seed(1)
maildir = os.environ["QV_MAILDIR"]
count = int(sys.argv[1])

SUBJECTS = ["会議のお知らせ", "来週の打ち合わせの日程について", "写真を送ります", "Re: 見積書の件", "本日の議事録"]
NAMES = ["山田太郎", "佐藤花子", "鈴木一郎", "田中美咲"]
LINES = ["いつもお世話になっております。", "明日の会議は十時からです。", "資料を添付しましたのでご確認ください。",
         "よろしくお願いいたします。", "以上です。"]


def word(text):
    return "=?ISO-2022-JP?B?" + base64.b64encode(text.encode("iso-2022-jp")).decode() + "?="


def message(k):
    japanese = k % 2 == 0
    subject = word(random.choice(SUBJECTS)) if japanese else "Status report %d" % k
    sender = (word(random.choice(NAMES)) if japanese else "Alice Example") + " <user%d@example.jp>" % (k % 50)
    head = ["Return-Path: <user%d@example.jp>" % (k % 50),
            "Received: from mx.example.jp (mx.example.jp [192.0.2.1]) by pop.example.jp; Mon, 1 Jan 2024 10:00:00 +0900",
            "Received: from client.example.jp by mx.example.jp; Mon, 1 Jan 2024 09:59:58 +0900",
            "Message-ID: <%d.%d@example.jp>" % (k, random.randrange(10 ** 9)),
            "Date: Mon, 1 Jan 2024 10:00:00 +0900",
            "From: " + sender,
            "To: tester@example.jp",
            "Subject: " + subject,
            "MIME-Version: 1.0",
            "Content-Type: text/plain; charset=ISO-2022-JP",
            "Content-Transfer-Encoding: 7bit",
            "X-Mailer: bench"]
    body = []
    for _ in range(random.randrange(20, 60)):
        line = random.choice(LINES)
        body.append(line.encode("iso-2022-jp").decode("ascii") if japanese else "Plain text line of the report.")
    return ("\r\n".join(head) + "\r\n\r\n" + "\r\n".join(body) + "\r\n").encode("ascii")


for sub in ("new", "cur"):
    for name in os.listdir(os.path.join(maildir, sub)):
        os.remove(os.path.join(maildir, sub, name))
stat = os.stat(maildir)
for k in range(1, count + 1):
    name = "%010d.M%dP1.bench" % (1600000000 + k, k)
    tmp = os.path.join(maildir, "tmp", name)
    with open(tmp, "wb") as f:
        f.write(message(k))
    os.chmod(tmp, 0o666)
    shutil.move(tmp, os.path.join(maildir, "new", name))
print("filled %s with %d messages" % (maildir, count))
