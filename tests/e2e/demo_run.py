#!/usr/bin/env python3
"""The headless half of scripts/demo: start Quorvane in the demo folder, run a check, take screenshots, quit."""
import sys

import harness as h


# The rows the list window has room for: UTF-8 (Base64 and an emoji), an HTML-only newsletter, a
# multipart/alternative one, raw ISO-2022-JP, ISO-2022-JP encoded words and Windows-1252.
SHOWN = ["07-utf8-base64-emoji", "14-html-only-base64", "13-newsletter-alternative", "11-raw-iso-2022-jp",
         "02-japanese", "16-windows-1252-quotes"]


def main():
    h.Mailbox().reset(SHOWN)
    program = h.Program(folder=sys.argv[1]).start()
    try:
        square = program.square()
        x, y, _, _ = h.geometry(square)
        h.screenshot("square-idle", crop=(x - 8, y - 8, 48, 48))
        h.click(x + 16, y + 16, repeat=2)
        h.wait_for("the mail result in the title", lambda: "通のメールが来ました" in h.window_name(square), timeout=30)
        listing = h.window("新着メール一覧")
        h.screenshot("square-mail", crop=(x - 8, y - 8, 48, 48))
        lx, ly, lw, lh = h.geometry(listing)
        h.screenshot("list-window", crop=(lx, ly, lw, lh))
        h.screenshot("desktop")
        print("title:", h.window_name(square))
        # Quit as a user does: right click, then the menu's last item "おしまい".
        h.click(x + 16, y + 16, button=3)
        h.wait_for("the popup menu", lambda: "\t#32768\t" in h.peek("windows")[1])
        h.key("Up", "Return", x=x + 16, y=y + 16)
        h.wait_for("the program to end", program.exited, timeout=10)
    finally:
        if not program.exited():
            program.proc.kill()
            program.proc.wait()


if __name__ == "__main__":
    main()
