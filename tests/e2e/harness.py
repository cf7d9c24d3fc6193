"""Drives the real Quorvane.exe under Wine on Xvfb with xdotool and ImageMagick, against the test POP3 peers.

Everything here polls for an outcome with a bounded number of retries; nothing waits a fixed time.
The environment comes from scripts/with-test-env: DISPLAY, WINEPREFIX, QV_POP3_*, QV_MAILDIR, QV_SAMPLES_DIR.
"""
import os
import re
import shutil
import socket
import subprocess
import tempfile
import threading
import time
from pathlib import Path

EXE = os.environ.get("QV_EXE", "")
INI_TOOL = os.environ.get("QV_INI_TOOL", "")
SHOTS = Path(os.environ.get("QV_SCREENSHOTS", tempfile.gettempdir()))


class Timeout(AssertionError):
    pass


def wait_for(what, probe, timeout=20.0, interval=0.1):
    """Calls probe() until it returns something truthy; fails after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Timeout("timed out waiting for " + what)
        time.sleep(interval)


def run(*args, check=False, **kw):
    return subprocess.run(list(args), capture_output=True, text=True, check=check, **kw)


# --- X windows -------------------------------------------------------------------------------------------

def windows(name_regex, visible=True):
    args = ["xdotool", "search"] + (["--onlyvisible"] if visible else []) + ["--name", name_regex]
    out = run(*args).stdout.split()
    return [int(w) for w in out]


def exact(title):
    """A regular expression for xdotool that matches exactly this title."""
    return "^" + re.sub(r"([][(){}.*+?^$|\\])", r"\\\1", title) + "$"


def window(name_regex, timeout=20.0):
    return wait_for("a window named " + name_regex, lambda: (windows(name_regex) or [None])[0], timeout)


def window_name(wid):
    return run("xdotool", "getwindowname", str(wid)).stdout.rstrip("\n")


def geometry(wid):
    out = run("xdotool", "getwindowgeometry", "--shell", str(wid)).stdout
    values = dict(line.split("=", 1) for line in out.split())
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def screen_size():
    w, h = run("xdotool", "getdisplaygeometry").stdout.split()
    return int(w), int(h)


def click(x, y, button=1, repeat=1):
    run("xdotool", "mousemove", str(x), str(y), "click", "--repeat", str(repeat), "--delay", "60", str(button))


def key(*keys, x=None, y=None):
    # Keyboard focus follows the pointer (there is no window manager): move over the target first.
    if x is not None:
        run("xdotool", "mousemove", str(x), str(y))
    run("xdotool", "key", "--delay", "60", *keys)


def pixel(x, y):
    """The colour of one screen pixel as (r, g, b)."""
    out = run("import", "-window", "root", "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-").stdout
    m = re.search(r"\((\d+),(\d+),(\d+)", out.splitlines()[-1])
    return tuple(int(v) for v in m.groups())


def screenshot(name, crop=None):
    SHOTS.mkdir(parents=True, exist_ok=True)
    path = SHOTS / (name + ".png")
    args = ["import", "-window", "root"]
    if crop:
        x, y, w, h = crop
        args += ["-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage"]
    run(*args, str(path))
    return path


# --- the mailbox behind Dovecot ---------------------------------------------------------------------------

class Mailbox:
    """A Dovecot test user's maildir (the first user's, or with "QV_MAILDIR2" the second's): messages in server
    order, reset to chosen samples."""

    def __init__(self, maildir_variable="QV_MAILDIR"):
        self.maildir = Path(os.environ[maildir_variable])
        self.samples = Path(os.environ["QV_SAMPLES_DIR"])

    def files(self):
        found = [p for sub in ("new", "cur") for p in (self.maildir / sub).glob("*") if p.is_file()]
        return sorted(found, key=lambda p: p.name.split(":")[0])

    def sample_names(self):
        return sorted(p.stem for p in self.samples.glob("*.eml"))

    def reset(self, names):
        for p in self.files():
            p.unlink()
        # Names never used before: Dovecot remembers a name's place in the mailbox, and a new message under an
        # old name could keep the old message's place.
        stamp = time.time_ns() // 1000
        for name in names:
            tmp = self.maildir / "tmp" / ("%d.M1P1.e2e" % stamp)
            tmp.write_bytes((self.samples / (name + ".eml")).read_bytes())
            os.chmod(tmp, 0o666)
            tmp.rename(self.maildir / "new" / tmp.name)
            stamp += 1

    def message_ids(self):
        ids = []
        for p in self.files():
            m = re.search(rb"^Message-ID: (.*?)\r?$", p.read_bytes(), re.M)
            ids.append(m.group(1).decode() if m else None)
        return ids


def _loopback_listener(backlog):
    """A listening socket on a free loopback port, and the port."""
    sock = socket.socket()
    sock.bind(("127.0.0.1", 0))
    sock.listen(backlog)
    return sock, sock.getsockname()[1]


# --- a POP3 server that refuses every visitor at once and counts them -------------------------------------------

class RefusingServer:
    """Greets every connection with -ERR and closes it, so each check fails at once; counts the connections."""

    def __init__(self):
        self.sock, self.port = _loopback_listener(16)
        self.count = 0
        threading.Thread(target=self._serve, daemon=True).start()

    def _serve(self):
        while True:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return
            self.count += 1
            try:
                conn.sendall(b"-ERR not today\r\n")
            finally:
                conn.close()

    def close(self):
        self.sock.close()


# --- a POP3 server that refuses the password ------------------------------------------------------------------

class PasswordRefusingServer:
    """Greets, offers no extensions, takes the user name and refuses every password; counts the connections."""

    def __init__(self):
        self.sock, self.port = _loopback_listener(16)
        self.count = 0
        threading.Thread(target=self._serve, daemon=True).start()

    def _serve(self):
        while True:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return
            self.count += 1
            threading.Thread(target=self._converse, args=(conn,), daemon=True).start()

    @staticmethod
    def _converse(conn):
        with conn, conn.makefile("rb") as lines:
            try:
                conn.sendall(b"+OK ready\r\n")
                for line in lines:
                    command = line.split(b" ", 1)[0].strip().upper()
                    if command == b"USER":
                        conn.sendall(b"+OK\r\n")
                    elif command == b"PASS":
                        conn.sendall(b"-ERR [AUTH] no\r\n")
                        return
                    else:
                        conn.sendall(b"-ERR\r\n")
            except OSError:
                return

    def close(self):
        self.sock.close()


# --- a POP3 server that never answers ----------------------------------------------------------------------

class SilentServer:
    """Accepts connections and then says nothing, so a check blocks in its first receive."""

    def __init__(self):
        self.sock, self.port = _loopback_listener(4)
        self.accepted = threading.Event()
        self.conns = []
        threading.Thread(target=self._serve, daemon=True).start()

    def _serve(self):
        while True:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return
            self.conns.append(conn)
            self.accepted.set()

    def close(self):
        self.sock.close()
        for c in self.conns:
            c.close()


# --- one run of the program ---------------------------------------------------------------------------------

def wine_path(path):
    return "Z:" + str(path).replace("/", "\\")


class Program:
    """Quorvane.exe started in a fresh folder of its own, with the INI the test asks for (or none)."""

    def __init__(self, ini=None, folder=None):
        self.folder = Path(folder or tempfile.mkdtemp(prefix="quorvane-e2e-"))
        self.ini_path = self.folder / "Quorvane.ini"
        if ini is not None:
            write_ini(self.ini_path, ini)
        self.proc = None

    def start(self, *args, exe=None):
        """Runs the exe (the build's, or `exe`) with the given arguments, in the program's folder."""
        self.proc = subprocess.Popen(["wine", str(exe or EXE), *args], cwd=self.folder, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def square(self):
        """The 32x32 status window: the visible window titled like the program."""
        def find():
            for wid in windows("Quorvane$"):
                if geometry(wid)[2:] == (32, 32):
                    return wid
            return None
        return wait_for("the status square", find)

    def ini(self):
        return read_ini(self.ini_path)

    def exited(self):
        return self.proc.poll() is not None

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def write_ini(path, values):
    """Writes the INI with the program's own store (the password scrambled as the program does it)."""
    args = ["wine", INI_TOOL, wine_path(path)] + ["%s=%s" % kv for kv in values.items()]
    subprocess.run(args, check=True, stdin=subprocess.DEVNULL, capture_output=True)


def read_ini(path):
    values = {}
    if path.exists():
        for line in path.read_bytes().decode("cp932").splitlines():
            if "=" in line and not line.startswith("["):
                k, v = line.split("=", 1)
                values[k.strip()] = v.strip()
    return values


def peer_ini(**extra):
    """Settings for the Dovecot peer of this test run."""
    values = {"SERVER": os.environ["QV_POP3_HOST"], "POP3_PORT": os.environ["QV_POP3_PORT"],
              "USER": os.environ["QV_POP3_USER"], "PASS": os.environ["QV_POP3_PASS"], "X": "400", "Y": "300"}
    values.update(extra)
    return values


# --- reading the program's windows through the peek tool -------------------------------------------------------

PEEK = os.environ.get("QV_PEEK", "")


def peek(*args):
    result = subprocess.run(["wine", PEEK] + list(args), capture_output=True, stdin=subprocess.DEVNULL)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def texts(caption, window_class=None):
    """The caption and the child texts of a visible window, or None when there is no such window."""
    code, out = peek("texts", caption, *([window_class] if window_class else []))
    return out.splitlines() if code == 0 else None


def rows(caption="新着メール一覧 (Quorvane)"):
    """The list window's rows: (ticked, selected, subject, sender, size, first lines)."""
    code, out = peek("rows", caption)
    if code != 0:
        return None
    result = []
    for line in out.splitlines():
        mark, *cells = line.split("\t")
        result.append((mark.startswith("[x]"), mark.endswith("*"), *cells))
    return result


def command(command_id):
    """Posts a command to the main window, as choosing its popup menu item does."""
    return peek("command", str(command_id))[0] == 0


def message_box():
    """The texts of the program's message box (caption "Quorvane", dialog class), or None."""
    return texts("Quorvane", "#32770")


def menu():
    """The popup menu's items as the program holds them: {id: "enabled" / "grayed" [",checked"] [",default"]}.
    peek opens the menu and reads it from inside the program through its hook DLL; the menu closes again."""
    code, out = peek("menu")
    if code != 0:
        return None
    return {int(k): v for k, v in (line.split("\t", 1) for line in out.splitlines() if "\t" in line)}


def check_running():
    """Whether a check runs, as the popup menu tells it: only then is "stop" enabled. None when unreadable."""
    items = menu()
    return None if items is None else items.get(40004) == "enabled"


def tick():
    """Posts the check timer's tick to the main window, as the timer does when its period is over."""
    return peek("timer")[0] == 0


def message_boxes():
    """How many message boxes titled "Quorvane" are on screen."""
    return sum(1 for line in peek("windows")[1].splitlines() if line.endswith("\t#32770\tQuorvane"))


def control_rect(caption, control_id):
    """Screen rectangle (x, y, width, height) of a control in a visible window, or None."""
    code, out = peek("rect", caption, str(control_id))
    return tuple(int(v) for v in out.split()) if code == 0 else None


def row_rect(row, caption="新着メール一覧 (Quorvane)"):
    code, out = peek("row", caption, str(row))
    return tuple(int(v) for v in out.split()) if code == 0 else None


def item_text(caption, control_id):
    """The text of a control (an edit's contents too), or None when there is no such window or control."""
    code, out = peek("item", caption, str(control_id))
    return out.rstrip("\n") if code == 0 else None


def click_control(caption, control_id):
    x, y, w, hgt = wait_for("control %d of %s" % (control_id, caption), lambda: control_rect(caption, control_id))
    click(x + w // 2, y + hgt // 2)
