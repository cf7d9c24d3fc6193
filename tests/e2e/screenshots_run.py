#!/usr/bin/env python3
"""The pictures of the Japanese user guide, taken from the real Quorvane.exe under Wine (run by scripts/screenshots).

Usage: screenshots_run.py OUT_DIR     (inside the test environment; QV_EXE, QV_INI_TOOL, QV_PEEK set)
Every window and dialog a user meets is opened the way a user opens it and saved as OUT_DIR/<name>.png.
"""
import os
import subprocess
import sys
from pathlib import Path

import harness as h

LIST = h.exact("新着メール一覧 (Quorvane)")
SETTINGS = "せってい～＆バージョン情報　（Quorvane）"
PROMPT = "パスワードの入力　（Quorvane）"
SIGN_IN = "サインイン　（Quorvane）"
MARGIN = 6


def grab(crop):
    x, y, w, hgt = crop
    return subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, hgt, x, y), "+repage", "rgb:-"],
                          capture_output=True).stdout


def shot(name, geometry, margin=MARGIN):
    """Saves the region once the window has finished painting: two grabs in a row that are the same."""
    x, y, w, hgt = geometry
    crop = (max(0, x - margin), max(0, y - margin), w + 2 * margin, hgt + 2 * margin)
    last = [grab(crop)]

    def settled():
        now = grab(crop)
        same = now == last[0]
        last[0] = now
        return same

    h.wait_for("%s to finish painting" % name, settled, timeout=10, interval=0.2)
    path = h.screenshot(name, crop=crop)
    print(path)


def window_shot(name, title_regex):
    shot(name, h.geometry(h.window(title_regex)))


def message_box():
    return h.wait_for("the message box", lambda: next(
        (w for w in h.windows("^Quorvane$") if h.geometry(w)[2:] != (32, 32)), None))


class Run:
    """One program run in its own folder; ended (and its folder removed) by `end`."""

    def __init__(self, **ini):
        self.program = h.Program(h.peer_ini(X="400", Y="300", **ini)).start()
        self.square = self.program.square()
        self.x, self.y, _, _ = h.geometry(self.square)

    def click(self, **kw):
        h.click(self.x + 16, self.y + 16, **kw)

    def wait_colour(self, colour):
        h.wait_for("the square's colour", lambda: h.pixel(self.x + 1, self.y + 1) == colour, timeout=30)

    def end(self):
        h.command(40001)
        try:
            h.wait_for("the program to end", self.program.exited, timeout=10)
        finally:
            self.program.stop()


def square_looks():
    silent = h.SilentServer()
    run = Run(POP3_PORT=str(silent.port))
    try:
        run.wait_colour((0, 0, 255))
        shot("square-idle", (run.x, run.y, 32, 32), margin=12)
        run.click(repeat=2)  # the server never answers: the check stays green
        run.wait_colour((0, 255, 0))
        shot("square-checking", (run.x, run.y, 32, 32), margin=12)
    finally:
        run.end()
        silent.close()


def mail_windows():
    h.Mailbox().reset(["01-plain-ascii", "02-japanese", "05-dot-line", "06-long-subject"])
    run = Run(HeadCount="3")
    try:
        # The popup menu, as a right click opens it.
        run.click(button=3)
        h.wait_for("the popup menu", lambda: "\t#32768\t" in h.peek("windows")[1])
        shot("popup-menu", (run.x, run.y, 230, 190), margin=4)
        h.key("Escape", x=run.x + 16, y=run.y + 16)
        h.wait_for("the menu to close", lambda: "\t#32768\t" not in h.peek("windows")[1])

        run.click(repeat=2)
        h.wait_for("the mail result", lambda: "通のメールが来ました" in h.window_name(run.square), timeout=30)
        run.wait_colour((255, 0, 0))
        shot("square-mail", (run.x, run.y, 32, 32), margin=12)
        listing = h.window(LIST)
        h.wait_for("the rows", lambda: len(h.rows() or []) == 4)
        shot("list-window", h.geometry(listing))
        lx, ly, lw, lh = h.geometry(listing)
        shot("desktop-with-mail", (min(lx, run.x), min(ly, run.y), max(lx + lw, run.x + 32) - min(lx, run.x),
                                   max(ly + lh, run.y + 32) - min(ly, run.y)), margin=20)

        # The details of the first mail: select its row, then Enter.
        x, y, _, hgt = h.row_rect(0)
        h.click(x + 60, y + hgt // 2)
        h.key("Return", x=x + 60, y=y + hgt // 2)
        window_shot("mail-info", h.exact("メール"))
        h.click_control("メール", 1)
        h.wait_for("the details to close", lambda: not h.windows(h.exact("メール")))

        # Tick the second mail, open the menu with the keyboard, and ask to delete.
        x, y, _, hgt = h.row_rect(1)
        h.click(x + 8, y + hgt // 2)
        h.wait_for("the row ticked", lambda: [r[0] for r in h.rows() or []][1:2] == [True])
        shot("list-window-ticked", h.geometry(listing))
        h.key("alt+m", x=lx + lw // 2, y=ly + lh // 2)
        h.wait_for("the menu", lambda: "\t#32768\t" in h.peek("windows")[1])
        shot("list-menu", (lx, ly, 480, 130), margin=2)
        h.key("d", x=lx + lw // 2, y=ly + lh // 2)
        shot("delete-question", h.geometry(message_box()))
        h.click_control("Quorvane", 7)  # IDNO: nothing is deleted

        # The settings dialog.
        h.command(40002)
        window_shot("settings", h.exact(SETTINGS))
        h.click_control(SETTINGS, 2)
        h.wait_for("the dialog to close", lambda: not h.windows(h.exact(SETTINGS)))
    finally:
        run.end()


def several_mailboxes():
    """Two Dovecot users in one program: the list with the account column, the settings with the chooser open."""
    h.Mailbox().reset(["01-plain-ascii", "02-japanese"])
    second = h.Mailbox("QV_MAILDIR2")
    second.reset(["05-dot-line", "06-long-subject"])
    accounts = {"Name": "いえ", "Account2/SERVER": os.environ["QV_POP3_HOST"],
                "Account2/POP3_PORT": os.environ["QV_POP3_PORT"], "Account2/USER": os.environ["QV_POP3_USER2"],
                "Account2/PASS": os.environ["QV_POP3_PASS2"], "Account2/Name": "しごと"}
    run = Run(**accounts)
    try:
        run.click(repeat=2)
        h.wait_for("the mail result", lambda: "4通のメールが来ました" in h.window_name(run.square), timeout=30)
        listing = h.window(LIST)
        h.wait_for("the rows", lambda: len(h.rows() or []) == 4)
        shot("list-window-accounts", h.geometry(listing))

        h.command(40002)
        dialog = h.window(h.exact(SETTINGS))
        x, y, w, hgt = h.wait_for("the chooser", lambda: h.control_rect(SETTINGS, 1026))
        h.click(x + w - 6, y + hgt // 2)
        h.wait_for("the chooser's list", lambda: "ComboLBox" in h.peek("windows")[1])
        dx, dy, dw, dh = h.geometry(dialog)
        shot("settings-mailboxes", (dx, dy, dw, dh + 20))
        h.key("Escape", x=x + w // 2, y=y + hgt // 2)
        h.click_control(SETTINGS, 2)
        h.wait_for("the dialog to close", lambda: not h.windows(h.exact(SETTINGS)))
    finally:
        run.end()
        second.reset([])


def sign_in():
    """The settings dialog with OAuth 2.0 chosen for Microsoft, and the sign-in dialog its button opens (cancelled:
    no browser comes back)."""
    run = Run(SERVER="outlook.office365.com", POP3_PORT="995", SSL="2", USER="tama@example.onmicrosoft.com",
              PASS="", Auth="oauth2", OAuthProvider="microsoft",
              OAuthClientId="8a1f0c2e-1234-4d5e-9f00-0123456789ab")
    try:
        h.command(40002)
        window_shot("settings-oauth", h.exact(SETTINGS))
        h.click_control(SETTINGS, 1039)  # サインイン
        window_shot("sign-in", h.exact(SIGN_IN))
        h.click_control(SIGN_IN, 2)
        h.wait_for("the sign-in dialog to close", lambda: not h.windows(h.exact(SIGN_IN)))
        h.click_control(SETTINGS, 2)
        h.wait_for("the dialog to close", lambda: not h.windows(h.exact(SETTINGS)))
    finally:
        run.end()


def count_and_notice():
    """The square with the count of waiting mails, and the balloon that names the new ones."""
    h.Mailbox().reset(["01-plain-ascii", "02-japanese", "05-dot-line", "06-long-subject"])
    run = Run(ShowCount="1", Notify="1")
    try:
        run.click(repeat=2)
        run.wait_colour((255, 0, 0))
        h.wait_for("the badge", lambda: h.pixel(run.x + 31, run.y + 31) == (255, 255, 255))
        shot("square-count", (run.x, run.y, 32, 32), margin=12)
        h.wait_for("the balloon", lambda: any("通きたにゃ" in line for line in h.peek("read")[1].splitlines()))
        # The balloon hangs below the square to its right, its stem at the middle of the square's bottom edge.
        shot("notice", (run.x, run.y, 400, 140), margin=12)
    finally:
        run.end()


def prompts_and_errors():
    run = Run(PASS="")
    try:
        run.click(repeat=2)
        window_shot("password", h.exact(PROMPT))
        h.click_control(PROMPT, 2)
    finally:
        run.end()
    run = Run(PASS="not-the-password")
    try:
        run.click(repeat=2)
        shot("error-password", h.geometry(message_box()))
    finally:
        run.end()
    run = Run(SERVER="", USER="")
    try:
        h.command(40003)
        shot("error-settings", h.geometry(message_box()))
    finally:
        run.end()


def high_dpi():
    """The square and the settings dialog on a screen of 144 DPI (150 %)."""
    def reg(*args):
        subprocess.run(["wine", "reg", *args], stdin=subprocess.DEVNULL, capture_output=True)

    reg("add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f")
    try:
        program = h.Program(h.peer_ini(X="400", Y="300")).start()
        try:
            square = h.wait_for("the 48-pixel square", lambda: next(
                (w for w in h.windows("Quorvane$") if h.geometry(w)[2:] == (48, 48)), None))
            x, y, _, _ = h.geometry(square)
            h.wait_for("the blue idle look", lambda: h.pixel(x + 1, y + 1) == (0, 0, 255))
            shot("dpi-144-square", (x, y, 48, 48), margin=12)
            h.command(40002)
            window_shot("dpi-144-settings", h.exact(SETTINGS))
            h.click_control(SETTINGS, 2)
            h.command(40001)
            h.wait_for("the program to end", program.exited, timeout=10)
        finally:
            program.stop()
    finally:
        reg("delete", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/f")


def main():
    out = Path(sys.argv[1]).resolve()
    os.environ["QV_SCREENSHOTS"] = str(out)
    h.SHOTS = out
    square_looks()
    mail_windows()
    several_mailboxes()
    sign_in()
    count_and_notice()
    prompts_and_errors()
    high_dpi()


if __name__ == "__main__":
    main()
