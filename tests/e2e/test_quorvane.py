"""End-to-end tests: the real Quorvane.exe under Wine on Xvfb, driven like a user drives it."""
import http.client
import time
import unittest
import urllib.parse

import harness as h

BLUE, GREEN, RED = (0, 0, 255), (0, 255, 0), (255, 0, 0)
LIST_TITLE = "新着メール一覧 (Quorvane)"
LIST = h.exact(LIST_TITLE)
PROMPT = h.exact("パスワードの入力　（Quorvane）")
SETTINGS = "せってい～＆バージョン情報　（Quorvane）"
SIGN_IN = "サインイン　（Quorvane）"
THREE = ["01-plain-ascii", "02-japanese", "05-dot-line"]


class EndToEnd(unittest.TestCase):
    def setUp(self):
        self.programs = []
        self.servers = []
        self.mailbox = h.Mailbox()
        self.mailbox.reset(THREE)

    def tearDown(self):
        for program in self.programs:
            program.stop()
        for server in self.servers:
            server.close()

    def start(self, ini=None, folder=None):
        program = h.Program(ini, folder).start()
        self.programs.append(program)
        return program

    def square_colour(self, square):
        x, y, _, _ = h.geometry(square)
        # The icon leaves the square's corners to the status colour.
        return h.pixel(x + 1, y + 1)

    def double_click(self, square):
        x, y, _, _ = h.geometry(square)
        h.click(x + 16, y + 16, repeat=2)

    def wait_title(self, square, title, timeout=30):
        h.wait_for("title " + title, lambda: h.window_name(square) == title, timeout)

    def message_box_window(self):
        """The program's message box: a window titled "Quorvane" that is not the square."""
        return h.wait_for("the message box", lambda: next(
            (w for w in h.windows("^Quorvane$") if h.geometry(w)[2:] != (32, 32)), None))

    def press_over(self, wid, *keys):
        x, y, w, hgt = h.geometry(wid)
        h.key(*keys, x=x + w // 2, y=y + hgt // 2)

    def close_message_box(self):
        """Clicks the OK button of the program's message box: the list window may have taken the keyboard since."""
        h.click_control("Quorvane", 1)
        h.wait_for("the box to close", lambda: h.message_boxes() == 0)

    def three_rows(self):
        return h.wait_for("three rows", lambda: (lambda r: r if r and len(r) == 3 else None)(h.rows()))

    def quit(self, program):
        h.command(40001)
        h.wait_for("the program to end", program.exited, timeout=10)

    def quit_from_menu(self, program, square):
        """Right click on the square opens the popup menu; its last item, "おしまい", quits."""
        x, y, _, _ = h.geometry(square)
        h.click(x + 16, y + 16, button=3)
        h.wait_for("the popup menu", lambda: "\t#32768\t" in h.peek("windows")[1])
        h.key("Up", "Return", x=x + 16, y=y + 16)
        h.wait_for("the program to end", program.exited, timeout=10)

    # --- start-up ---------------------------------------------------------------------------------------------

    def test_start_without_ini(self):
        program = self.start()
        square = program.square()
        self.assertEqual((100, 100, 32, 32), h.geometry(square))
        self.assertEqual("Quorvane", h.window_name(square))
        h.wait_for("the blue idle look", lambda: self.square_colour(square) == BLUE)
        h.screenshot("idle-square", crop=(92, 92, 48, 48))

    def test_position_kept_on_screen(self):
        program = self.start({"X": "5000", "Y": "-20"})
        square = program.square()
        width, _ = h.screen_size()
        self.assertEqual((width - 33, 0), h.geometry(square)[:2])

    def test_second_instance(self):
        first = self.start(h.peer_ini())
        first.square()
        second = self.start()
        h.wait_for("the second instance to exit", second.exited)
        self.assertEqual(0, second.proc.returncode)
        self.assertFalse(first.exited())
        first.square()

    # --- checking ---------------------------------------------------------------------------------------------

    def test_check_shows_mail(self):
        program = self.start(h.peer_ini())
        square = program.square()
        self.double_click(square)
        self.wait_title(square, "3通のメールが来ました - Quorvane")
        h.wait_for("the red mail look", lambda: self.square_colour(square) == RED)
        h.window(LIST)
        listed = self.three_rows()
        self.assertEqual(["Lunch on Friday", "会議のお知らせ", "Dots"], [row[2] for row in listed])
        self.assertIn("山田太郎", listed[1][3])
        h.screenshot("list-window")

    def test_count_and_notice_at_the_square(self):
        """ShowCount draws "3" in the square's corner; Notify's balloon is read from outside with WM_GETTEXT."""
        program = self.start(h.peer_ini(ShowCount="1", Notify="1"))
        square = program.square()
        self.double_click(square)
        self.wait_title(square, "3通のメールが来ました - Quorvane")
        x, y, _, _ = h.geometry(square)
        h.wait_for("the badge", lambda: h.pixel(x + 31, y + 31) == (255, 255, 255))
        # "3" in the 3 by 5 font: its top row is ink, the row below has ink only on the right.
        self.assertEqual([(0, 0, 0)] * 3, [h.pixel(x + 28 + i, y + 26) for i in range(3)])
        self.assertEqual([(255, 255, 255)] * 2 + [(0, 0, 0)], [h.pixel(x + 28 + i, y + 27) for i in range(3)])
        self.assertEqual(RED, h.pixel(x + 31, y + 1))
        balloon = h.wait_for("the balloon", lambda: next(
            (line.split("\t", 2)[2] for line in h.peek("read")[1].splitlines()
             if "\ttooltips_class32\t" in line.lower() and "通きたにゃ" in line), None))
        self.assertTrue(balloon.startswith("新しいメールが 3 通きたにゃ\\n"), balloon)
        self.assertLess(balloon.index("「Dots」"), balloon.index("「会議のお知らせ」"))
        self.assertLess(balloon.index("「会議のお知らせ」"), balloon.index("「Lunch on Friday」"))
        h.screenshot("notice-at-the-square")
        self.quit(program)

    def test_list_shows_mail_of_every_charset_decoded(self):
        # The second group: enclosed messages, odd types, raw headers in a declared charset, the JIS marks.
        more = {
            "19-forwarded-as-attachment": ("Fwd: 来月の予定", "来月の予定をお知らせします。 説明会は午後二時からです。 "),
            "20-enclosed-message-alone": ("Archived message", "社内報十二月号をお届けします。 今月は忘年会の特集です。 "),
            "21-delivery-report": ("Undelivered Mail Returned to Sender", "お見積もりをお送りします。 "),
            "22-type-without-subtype": ("Отчёт за неделю", "Добрый вечер! Отчёт во вложении. "),
            "23-text-log-part": ("Nightly backup log", "02:00 backup started 02:14 backup finished: 3.2 GB "),
            "24-raw-latin-1-header": ("Gr〓〓e ￡ 5", "Viele Gr〓〓e aus Berlin, ￡ 5 und § 3. "),
            "25-wave-dash-utf-8": ("週末の予定 ― weekend", "3月～5月は休みです。 ￠と￡と￢、∥と－1。 "),
            "26-html-capital-entities": ("新作のご案内", "新作 <冬> & \"春\" "),
            "27-gb18030-four-byte": ("ｶﾀﾛｸﾞ・目〓", "ｶﾀﾛｸﾞ・日本 "),
        }
        self.mailbox.reset(["07-utf8-base64-emoji", "11-raw-iso-2022-jp", "13-newsletter-alternative",
                            "14-html-only-base64", "15-nested-attachment-first"] + list(more))
        program = self.start(h.peer_ini())
        square = program.square()
        self.double_click(square)
        self.wait_title(square, "14通のメールが来ました - Quorvane")
        rows = h.wait_for("fourteen rows", lambda: (lambda r: r if r and len(r) == 14 else None)(h.rows()))
        listed = rows[:5]
        self.assertEqual(["ご注文ありがとうございます〓", "ｶﾀｶﾅ混じりの件名です", "【ネコ通信】冬のあったかグッズ特集",
                          "年末セールのお知らせ", "資料を送ります"], [row[2] for row in listed])
        self.assertEqual(["株式会社ネコ商店 <shop@example.jp>", "鈴木一郎 <ichiro@example.jp>", "ネコ通信 <news@example.jp>",
                          "ネコ商店 <sale@example.jp>", "高橋健太 <kenta@example.jp>"], [row[3] for row in listed])
        self.assertEqual(["山田様 この度はご注文いただき誠にありがとうございます。 ", "㈱ネコ商事より①番目のご案内です。 ",
                          "ネコ通信 2026年12月号 今月の特集：冬のあったかグッズです。 ",
                          "年末セール 開催中！ 全品%オフ&送料無料 <12月31日まで> ", "会議の資料を添付します。 ご確認ください。 "],
                         [row[5] for row in listed])
        self.assertEqual(list(more.values()), [(row[2], row[5]) for row in rows[5:]])
        h.screenshot("list-window-charsets")

    def test_delete_ticked_mail(self):
        program = self.start(h.peer_ini())
        square = program.square()
        self.double_click(square)
        self.wait_title(square, "3通のメールが来ました - Quorvane")
        listing = h.window(LIST)
        self.three_rows()
        # Tick the second row's check box with the mouse, then choose the delete command from the window's menu
        # with the keyboard (focus follows the pointer).
        x, y, _, hgt = h.row_rect(1)
        h.click(x + 8, y + hgt // 2)
        h.wait_for("the second row ticked", lambda: [r[0] for r in h.rows() or []] == [False, True, False])
        self.press_over(listing, "alt+m", "d")
        box = h.wait_for("the confirmation", h.message_box)
        self.assertIn("チェックをつけたメールを削除します", "\n".join(box))
        h.click_control("Quorvane", 6)  # IDYES
        # The window closes; the deleting check then finds the other two and opens a new one.
        h.wait_for("the list window to close", lambda: listing not in h.windows(LIST))
        # The deleting check reports the count it found before deleting; the server has lost exactly that message.
        h.wait_for("the deleting check to end", lambda: h.check_running() is False)
        self.assertEqual(2, len(h.wait_for("the two rows left", lambda: (lambda r: r if r and len(r) == 2 else None)(
            h.rows()))))
        h.wait_for("the message gone from the maildir", lambda: len(self.mailbox.message_ids()) == 2)
        self.assertEqual(["<plain-1@example.com>", "<dot-5@example.com>"], self.mailbox.message_ids())
        # The next check shows the rest.
        self.double_click(square)
        self.wait_title(square, "2通のメールが来ました - Quorvane")
        self.assertEqual(["Lunch on Friday", "Dots"], [row[2] for row in h.wait_for(
            "two rows", lambda: (lambda r: r if r and len(r) == 2 else None)(h.rows()))])

    def test_several_mailboxes(self):
        # Three mailboxes: the first Dovecot user, the second, and a server that refuses the password.
        second = h.Mailbox("QV_MAILDIR2")
        second.reset(["02-japanese", "05-dot-line"])
        self.addCleanup(second.reset, [])
        refusing = h.PasswordRefusingServer()
        self.servers.append(refusing)
        ini = h.peer_ini(Name="いえ")
        ini.update({"Account2/SERVER": h.os.environ["QV_POP3_HOST"], "Account2/POP3_PORT": h.os.environ["QV_POP3_PORT"],
                    "Account2/USER": h.os.environ["QV_POP3_USER2"], "Account2/PASS": h.os.environ["QV_POP3_PASS2"],
                    "Account2/Name": "しごと",
                    "Account3/SERVER": "127.0.0.1", "Account3/POP3_PORT": str(refusing.port),
                    "Account3/USER": "neko", "Account3/PASS": "throwaway", "Account3/Name": "むかし"})
        program = self.start(ini)
        square = program.square()
        self.double_click(square)
        box = h.wait_for("the error message box", h.message_box)
        text = "\n".join(box)
        self.assertIn("むかし", text)
        self.assertIn("接続が途中で切れたか、ユーザーIDもしくは、パスワードが違います", text)
        self.close_message_box()
        self.wait_title(square, "5通のメールが来ました - Quorvane")
        listed = h.wait_for("five rows", lambda: (lambda r: r if r and len(r) == 5 else None)(h.rows()))
        # The account column first, then the mailboxes in their order.
        self.assertEqual([("いえ", "Lunch on Friday"), ("いえ", "会議のお知らせ"), ("いえ", "Dots"),
                          ("しごと", "会議のお知らせ"), ("しごと", "Dots")], [(row[2], row[3]) for row in listed])
        h.screenshot("list-window-accounts")
        # Tick the second user's last mail and delete it: exactly that file leaves that user's maildir.
        listing = h.window(LIST)
        x, y, _, hgt = h.row_rect(4)
        h.click(x + 8, y + hgt // 2)
        h.wait_for("the last row ticked", lambda: [r[0] for r in h.rows() or []] == [False] * 4 + [True])
        kept = second.files()[0].name
        self.press_over(listing, "alt+m", "d")
        h.wait_for("the confirmation", h.message_box)
        h.click_control("Quorvane", 6)  # IDYES
        h.wait_for("the list window to close", lambda: listing not in h.windows(LIST))
        h.wait_for("the deleting check to end", lambda: h.check_running() is False)
        h.wait_for("the message gone from the second maildir", lambda: len(second.files()) == 1)
        self.assertEqual(kept.split(":")[0], second.files()[0].name.split(":")[0])
        self.assertEqual(3, len(self.mailbox.files()), "the first user's mail stays")
        self.assertEqual(1, refusing.count, "the refusing server is not connected for the deletion")

    def test_empty_mailbox(self):
        program = self.start(h.peer_ini())
        square = program.square()
        self.double_click(square)
        self.wait_title(square, "3通のメールが来ました - Quorvane")
        h.window(LIST)
        # The mail is fetched elsewhere; the next check finds nothing and closes the list window.
        self.mailbox.reset([])
        h.wait_for("the check to end", lambda: h.check_running() is False)
        # Asked from the menu's command: reading the menu opened it, and a click while it closes may go to it.
        self.assertTrue(h.command(40003))
        self.wait_title(square, "メールなし - Quorvane")
        h.wait_for("the blue idle look", lambda: self.square_colour(square) == BLUE)
        h.wait_for("the list window to close", lambda: not h.windows(LIST))

    def test_wrong_password(self):
        program = self.start(h.peer_ini(PASS="not-the-password"))
        square = program.square()
        self.double_click(square)
        box = h.wait_for("the error message box", h.message_box)
        self.assertIn("接続が途中で切れたか、ユーザーIDもしくは、パスワードが違います", "\n".join(box))
        self.assertEqual("Quorvane", h.window_name(square))

    def test_password_prompt(self):
        program = self.start(h.peer_ini(PASS=""))
        square = program.square()
        prompt_title = "パスワードの入力　（Quorvane）"
        # Cancelled: this check is skipped (nothing runs), and the next one asks again.
        self.double_click(square)
        h.window(PROMPT)
        h.click_control(prompt_title, 2)  # "中止"
        h.wait_for("the prompt to close", lambda: not h.windows(PROMPT))
        self.assertFalse(h.check_running())
        self.assertEqual("Quorvane", h.window_name(square))
        # Typed: the password serves this check.
        self.double_click(square)
        h.window(PROMPT)
        h.click_control(prompt_title, 1010)
        h.run("xdotool", "type", "--delay", "30", h.os.environ["QV_POP3_PASS"])
        h.click_control(prompt_title, 1)  # "OK"
        self.wait_title(square, "3通のメールが来ました - Quorvane")
        # Forgotten after the check: the next check asks again, and nothing was stored.
        h.wait_for("the check to end", lambda: h.check_running() is False)
        h.command(40003)
        h.window(PROMPT)
        self.assertEqual("", program.ini().get("PASS", ""))

    def test_quit_during_hung_check(self):
        silent = h.SilentServer()
        self.servers.append(silent)
        program = self.start(h.peer_ini(POP3_PORT=str(silent.port)))
        square = program.square()
        self.double_click(square)
        self.assertTrue(silent.accepted.wait(20), "the check did not connect")
        started = time.monotonic()
        self.quit_from_menu(program, square)
        print("quit during a hung check took %.2f s" % (time.monotonic() - started))
        ini = program.ini()
        for key in ("X", "Y", "InTaskTray"):
            self.assertIn(key, ini)

    def test_tray_mode(self):
        program = self.start(h.peer_ini(InTaskTray="1"))
        h.wait_for("the main window", lambda: h.command(0) or None)
        self.assertEqual([], [w for w in h.windows("^Quorvane$") if h.geometry(w)[2:] == (32, 32)])
        h.command(40003)
        main = h.wait_for("the hidden main window's title",
                          lambda: [w for w in h.windows("通のメールが来ました", visible=False)])
        self.assertEqual("3通のメールが来ました - Quorvane", h.window_name(main[0]))
        self.quit(program)
        self.assertEqual("1", program.ini().get("InTaskTray"))

    def test_popup_menu_reachable(self):
        program = self.start(h.peer_ini())
        square = program.square()
        self.quit_from_menu(program, square)
        self.assertEqual("0", program.ini().get("InTaskTray"))

    # --- what the program shows and offers ----------------------------------------------------------------------

    def test_one_result_box_at_a_time(self):
        refusing = h.RefusingServer()
        self.servers.append(refusing)
        program = self.start(h.peer_ini(POP3_PORT=str(refusing.port)))
        program.square()
        h.command(40003)
        h.wait_for("the error message box", h.message_box)
        # Ticks while the box is open start nothing (the box's own loop handles them).
        for _ in range(3):
            self.assertTrue(h.tick())
        x, y, w, hgt = h.geometry(self.message_box_window())
        h.key("Return", x=x + w // 2, y=y + hgt // 2)
        h.wait_for("the box to close", lambda: h.message_boxes() == 0)
        # After it has closed the timer goes on as before.
        self.assertTrue(h.tick())
        h.wait_for("the next error message box", h.message_box)
        self.assertEqual(2, refusing.count)
        self.assertEqual(1, h.message_boxes())

    def test_menu_read_from_outside(self):
        program = self.start(h.peer_ini())
        program.square()
        items = h.menu()
        self.assertEqual("enabled,default", items[40003])
        self.assertEqual("grayed", items[40004])
        self.assertEqual("grayed", items[40007])
        # The program answers no private requests: WM_COPYDATA gets the default answer.
        code, out = h.peek("copydata")
        self.assertEqual((0, "0"), (code, out.strip()))

    # --- TLS ------------------------------------------------------------------------------------------------

    def tls_ini(self, host_variable, **extra):
        """Implicit TLS on the harness's POP3S port, at the local address that serves the named certificate."""
        return h.peer_ini(SERVER=h.os.environ[host_variable], POP3_PORT=h.os.environ["QV_POP3S_PORT"], SSL="2",
                          **extra)

    def test_check_over_implicit_tls(self):
        program = self.start(self.tls_ini("QV_TLS_HOST_GOOD"))
        square = program.square()
        self.double_click(square)
        self.wait_title(square, "3通のメールが来ました - Quorvane")
        h.window(LIST)
        listed = self.three_rows()
        self.assertEqual(["Lunch on Friday", "会議のお知らせ", "Dots"], [row[2] for row in listed])

    def untrusted_box(self):
        box = h.wait_for("the untrusted-certificate question", h.message_box)
        text = "\n".join(box)
        self.assertIn(h.os.environ["QV_TLS_FPR_SELFSIGNED"], text)
        self.assertIn("発行元がわからない証明書", text)
        self.assertIn("この証明書を信用するかにゃ", text)
        return text

    def test_untrusted_certificate_yes_trusts_it(self):
        program = self.start(self.tls_ini("QV_TLS_HOST_SELFSIGNED"))
        square = program.square()
        self.double_click(square)
        self.untrusted_box()
        self.assertNotIn("TrustedCert", program.ini())
        h.click_control("Quorvane", 6)  # IDYES
        # The fingerprint is stored with the server and port it was met at, and the check runs again at once and
        # now gets through.
        pin = "%s@%s:%s" % (h.os.environ["QV_TLS_FPR_SELFSIGNED"], h.os.environ["QV_TLS_HOST_SELFSIGNED"],
                            h.os.environ["QV_POP3S_PORT"])
        h.wait_for("the stored fingerprint", lambda: program.ini().get("TrustedCert") == pin)
        self.wait_title(square, "3通のメールが来ました - Quorvane")
        # The next check is accepted as well, without a question.
        self.mailbox.reset(THREE[:2])
        h.wait_for("the list window", lambda: h.windows(LIST))
        self.double_click(square)
        self.wait_title(square, "2通のメールが来ました - Quorvane")
        self.assertIsNone(h.message_box())

    def test_untrusted_certificate_no_sends_nothing(self):
        program = self.start(self.tls_ini("QV_TLS_HOST_SELFSIGNED"))
        square = program.square()
        self.double_click(square)
        self.untrusted_box()
        h.click_control("Quorvane", 7)  # IDNO
        h.wait_for("the question to close", lambda: h.message_box() is None)
        self.assertNotIn("TrustedCert", program.ini())
        self.assertEqual("Quorvane", h.window_name(square))

    # --- OAuth 2.0 sign-in ----------------------------------------------------------------------------------

    @staticmethod
    def browse(address):
        """A plain HTTP GET as a browser sends it; the status, the Location header and the body."""
        url = urllib.parse.urlsplit(address)
        connection = http.client.HTTPConnection(url.hostname, url.port, timeout=30)
        connection.request("GET", url.path + "?" + url.query)
        answer = connection.getresponse()
        result = answer.status, answer.getheader("Location"), answer.read()
        connection.close()
        return result

    def test_sign_in_then_check_and_a_spent_token_asks_again(self):
        env = h.os.environ
        ini = {"SERVER": env["QV_TLS_HOST_GOOD"], "POP3_PORT": env["QV_POP3S_PORT"], "SSL": "2",
               "USER": env["QV_POP3_USER"], "Auth": "oauth2", "OAuthProvider": "custom",
               "OAuthClientId": "quorvane-test", "OAuthAuthorizeUrl": env["QV_OAUTH_BROWSER_URL"] + "/authorize",
               "OAuthTokenUrl": env["QV_OAUTH_URL"] + "/token", "X": "400", "Y": "300"}
        program = self.start(ini)
        program.square()
        h.command(40002)
        h.window(h.exact(SETTINGS))
        h.click_control(SETTINGS, 1039)  # サインイン
        h.window(h.exact(SIGN_IN))
        address = h.wait_for("the address", lambda: h.item_text(SIGN_IN, 1040))
        self.assertTrue(address.startswith(env["QV_OAUTH_BROWSER_URL"] + "/authorize?"), address)
        # The browser's part: the authorization page sends it on to the program's listener, which answers.
        status, location, _ = self.browse(address)
        self.assertEqual(302, status)
        self.assertTrue(location.startswith("http://127.0.0.1:"), location)
        status, _, page = self.browse(location)
        self.assertEqual(200, status)
        self.assertIn("サインインできたにゃ。このウィンドウは閉じてOKにゃ", page.decode("cp932"))
        box = h.wait_for("the success box", h.message_box)
        self.assertIn("サインインできたにゃ！", "\n".join(box))
        self.close_message_box()
        self.assertFalse(h.windows(h.exact(SIGN_IN)))
        h.click_control(SETTINGS, 1)
        h.wait_for("the dialog to close", lambda: not h.windows(h.exact(SETTINGS)))
        # The refresh token is in the file, protected; no token and no password in clear.
        stored = h.wait_for("the refresh token", lambda: program.ini().get("OAuthRefreshToken"))
        raw = program.ini_path.read_bytes()
        self.assertNotIn(b"at-", raw)
        self.assertNotIn(b"rt-", raw)
        self.assertEqual("", program.ini().get("PASS", ""))
        # A check over POP3S logs in with the access token.
        square = program.square()
        self.double_click(square)
        self.wait_title(square, "3通のメールが来ました - Quorvane")
        self.quit(program)

        # A new run has no access token: the check renews it with the stored refresh token, which the server
        # rotates; the file then holds the new one and the old one is spent.
        spent = program.ini_path.read_bytes()
        again = self.start(folder=program.folder)
        square = again.square()
        self.double_click(square)
        self.wait_title(square, "3通のメールが来ました - Quorvane")
        h.wait_for("the rotated refresh token", lambda: again.ini().get("OAuthRefreshToken") not in (None, stored))
        self.quit(again)

        # With the spent token back in the file the server refuses to renew: the user is asked to sign in again.
        program.ini_path.write_bytes(spent)
        last = self.start(folder=program.folder)
        square = last.square()
        self.double_click(square)
        box = h.wait_for("the sign-in-again box", h.message_box)
        self.assertIn("サインインし直してほしいにゃ", "\n".join(box))
        self.close_message_box()


if __name__ == "__main__":
    unittest.main()
