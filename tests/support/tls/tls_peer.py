#!/usr/bin/env python3
"""A scripted POP3 server over TLS, for what Dovecot will not do.

Usage: tls_peer.py CERT KEY PORTS_FILE

Listens on 127.0.0.1, one port per scenario, and writes "SCENARIO PORT" lines to PORTS_FILE once all listen.
TLS runs over memory BIOs (ssl.SSLObject), so the script decides exactly which record bytes go out in which
send. In every scenario the greeting leaves in the same send as the last handshake flight (bytes after the
handshake in the client's receive). The mailbox holds two messages; the scenarios change how replies travel:

  plain       every reply as one record
  split       every reply cut into records of 3 bytes, several records per send, and sends cut mid-record
  huge        the TOP reply of message 1 as one maximum-size record (16 KB of text)
  closemid    the reply to PASS: half a record, then the connection closes
  closenotify the reply to TOP 1: the first lines, then close-notify, then the connection closes
  hang        the handshake completes, then nothing is ever sent
  hangmid     the reply to PASS: half a record, then nothing more (the connection stays open)
  renegotiate TLS 1.2 only, by `openssl s_server` behind a relay (Python's ssl cannot renegotiate): after the
              greeting, LIST is answered "+OK", "1 100", then the server asks for a new handshake
              (HelloRequest), and once the new handshake is done "2 200", "."; NOOP then gets "+OK", QUIT "+OK bye"
  renegotiatemid  the same, but "2 200", "." leave right behind the HelloRequest, so application data arrives
              while the client is inside the new handshake (TLS 1.2 allows this)
  drip        the handshake's flights leave one byte at a time, DRIP_PAUSE apart (a minute and more in all)
  dripstls    plain text: the greeting, CAPA listing STLS, "+OK" to STLS, then the handshake dripped as above
  dripgreeting  plain text: the greeting dripped a byte at a time (about a minute), then the mailbox as usual
  clientcert  the server asks for a client certificate and goes on without one (a CertificateRequest, verify
              mode CERT_OPTIONAL), then serves like "plain"
"""
import os
import select
import socket
import subprocess
import ssl
import sys
import threading
import time

MESSAGES = [
    b"From: tama@example.jp\r\nSubject: first\r\n\r\nHello over TLS\r\nsecond line\r\n",
    b"From: mike@example.jp\r\nSubject: second\r\n\r\nAnother body\r\n",
]
SCENARIOS = ["plain", "split", "huge", "closemid", "closenotify", "hang", "hangmid", "renegotiate", "renegotiatemid",
             "drip", "dripstls", "dripgreeting", "clientcert"]
RECORD_MAX = 16384
DRIP_PAUSE = 0.05
CERT_AND_KEY = []
CLIENT_CERT_CONTEXT = []


def drip(sock, data):
    for i in range(len(data)):
        sock.sendall(data[i:i + 1])
        time.sleep(DRIP_PAUSE)


class Conn:
    def __init__(self, sock, context, dripping=False):
        self.sock = sock
        self.incoming = ssl.MemoryBIO()
        self.outgoing = ssl.MemoryBIO()
        self.tls = context.wrap_bio(self.incoming, self.outgoing, server_side=True)
        self.dripping = dripping

    def pump_in(self):
        data = self.sock.recv(65536)
        if not data:
            raise EOFError
        self.incoming.write(data)

    def handshake(self):
        while True:
            try:
                self.tls.do_handshake()
                return
            except ssl.SSLWantReadError:
                out = self.outgoing.read()
                if out and self.dripping:
                    drip(self.sock, out)
                elif out:
                    self.sock.sendall(out)
                self.pump_in()

    def records(self, data, size):
        """The record bytes of data, cut into records of at most size bytes."""
        for i in range(0, len(data), size):
            self.tls.write(data[i:i + size])
        return self.outgoing.read()

    def read_line(self):
        line = b""
        while not line.endswith(b"\r\n"):
            try:
                line += self.tls.read(1)
            except ssl.SSLWantReadError:
                self.pump_in()
            except ssl.SSLZeroReturnError:
                raise EOFError
        return line[:-2].decode("latin-1")


def top_reply(n, huge):
    body = MESSAGES[n - 1]
    if huge:
        head, rest = body.split(b"\r\n\r\n", 1)
        filler = b"X-Filler: " + b"z" * 990 + b"\r\n"
        body = head + b"\r\n"
        while len(body) + len(filler) < RECORD_MAX - 200:
            body += filler
        body += b"\r\n" + rest
    return b"+OK\r\n" + body + b".\r\n"


def read_plain_line(sock):
    line = b""
    while not line.endswith(b"\r\n"):
        data = sock.recv(1)
        if not data:
            raise EOFError
        line += data
    return line[:-2].decode("latin-1")


def serve(conn_sock, context, scenario):
    if scenario == "dripgreeting":
        drip(conn_sock, b"+OK " + b"z" * 1200 + b"\r\n")
        converse(scenario, lambda: read_plain_line(conn_sock), conn_sock.sendall)
        return
    if scenario == "dripstls":
        conn_sock.sendall(b"+OK plain text first\r\n")
        while True:
            verb = read_plain_line(conn_sock).split(" ")[0].upper()
            if verb == "CAPA":
                conn_sock.sendall(b"+OK\r\nSTLS\r\nUSER\r\n.\r\n")
            elif verb == "STLS":
                conn_sock.sendall(b"+OK begin TLS\r\n")
                break
            else:
                conn_sock.sendall(b"-ERR TLS first\r\n")
    conn = Conn(conn_sock, context, dripping=scenario.startswith("drip"))
    conn.handshake()
    if scenario == "hang":
        rest = conn.outgoing.read()
        if rest:
            conn.sock.sendall(rest)
        while conn.sock.recv(65536):
            pass
        return
    size = 3 if scenario == "split" else RECORD_MAX

    def send(data):
        out = conn.records(data, size)
        if scenario == "split":
            # Several records in one send, and sends that end in the middle of a record.
            for i in range(0, len(out), 50):
                conn.sock.sendall(out[i:i + 50])
        else:
            conn.sock.sendall(out)

    # The greeting goes out together with whatever the handshake still had to send.
    conn.tls.write(b"+OK scripted TLS peer ready\r\n")
    conn.sock.sendall(conn.outgoing.read())
    converse(scenario, conn.read_line, send, conn, size)


def converse(scenario, read_line, send, conn=None, size=RECORD_MAX):
    """Answers commands from the mailbox until QUIT; conn (the TLS connection) only for the scenarios that
    break a record."""
    while True:
        command = read_line()
        verb = command.split(" ")[0].upper()
        if verb in ("USER",):
            send(b"+OK\r\n")
        elif verb == "PASS":
            if scenario in ("closemid", "hangmid"):
                out = conn.records(b"+OK logged in\r\n", size)
                conn.sock.sendall(out[: len(out) // 2])
                if scenario == "hangmid":
                    while conn.sock.recv(65536):
                        pass
                return
            send(b"+OK logged in\r\n")
        elif verb == "CAPA":
            send(b"+OK\r\nUSER\r\nUIDL\r\nTOP\r\n.\r\n")
        elif verb == "STAT":
            send(b"+OK %d %d\r\n" % (len(MESSAGES), sum(len(m) for m in MESSAGES)))
        elif verb == "TOP":
            n = int(command.split(" ")[1])
            reply = top_reply(n, scenario == "huge" and n == 1)
            if scenario == "closenotify" and n == 1:
                send(reply[: reply.index(b"\r\n\r\n") + 2])
                try:
                    conn.tls.unwrap()
                except ssl.SSLWantReadError:
                    pass
                conn.sock.sendall(conn.outgoing.read())
                return
            send(reply)
        elif verb == "UIDL":
            lines = b"".join(b"%d id-%d\r\n" % (i + 1, i + 1) for i in range(len(MESSAGES)))
            send(b"+OK\r\n" + lines + b".\r\n")
        elif verb == "LIST":
            lines = b"".join(b"%d %d\r\n" % (i + 1, len(m)) for i, m in enumerate(MESSAGES))
            send(b"+OK\r\n" + lines + b".\r\n")
        elif verb == "QUIT":
            send(b"+OK bye\r\n")
            return
        else:
            send(b"-ERR unknown\r\n")


class RecordWatch:
    """Relays one direction and remembers the TLS record types it has seen go past (headers stay plain)."""

    def __init__(self):
        self.pending = b""
        self.seen = []
        self.cond = threading.Condition()

    def feed(self, data):
        self.pending += data
        with self.cond:
            while len(self.pending) >= 5:
                length = int.from_bytes(self.pending[3:5], "big")
                if len(self.pending) < 5 + length:
                    break
                self.seen.append(self.pending[0])
                self.pending = self.pending[5 + length:]
            self.cond.notify_all()

    def wait_count(self, record_type, count):
        with self.cond:
            self.cond.wait_for(lambda: self.seen.count(record_type) >= count, timeout=10)
            if self.seen.count(record_type) < count:
                raise EOFError


def serve_renegotiate(client, cert, key, interleaved):
    server = subprocess.Popen(
        ["openssl", "s_server", "-accept", "127.0.0.1:0", "-tls1_2", "-cert", cert, "-key", key, "-naccept", "1"],
        stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        port = None
        while port is None:
            line = server.stdout.readline().decode("latin-1")
            if not line:
                raise EOFError
            if line.startswith("ACCEPT"):
                port = int(line.rsplit(":", 1)[1])
        upstream = socket.create_connection(("127.0.0.1", port))
        from_server = RecordWatch()

        def relay():
            try:
                while True:
                    readable, _, _ = select.select([client, upstream], [], [])
                    for s in readable:
                        data = s.recv(65536)
                        if not data:
                            return
                        if s is upstream:
                            from_server.feed(data)
                            client.sendall(data)
                        else:
                            upstream.sendall(data)
            except OSError:
                pass
            finally:
                with from_server.cond:
                    from_server.seen.append(None)
                    from_server.cond.notify_all()
                upstream.close()

        threading.Thread(target=relay, daemon=True).start()

        def say(text):
            server.stdin.write(text)
            server.stdin.flush()

        def wait_for_command(verb):
            while True:
                line = server.stdout.readline()
                if not line:
                    raise EOFError
                if line.rstrip(b"\r\n").upper() == verb:
                    return

        CHANGE_CIPHER_SPEC, HANDSHAKE, APPLICATION_DATA = 20, 22, 23
        from_server.wait_count(CHANGE_CIPHER_SPEC, 1)
        say(b"+OK ready\r\n")
        wait_for_command(b"LIST")
        say(b"+OK\r\n1 100\r\n")
        # s_server reads its stdin in whatever pieces arrive; wait until the first part left as a record so the
        # request for a new handshake is read on its own.
        from_server.wait_count(APPLICATION_DATA, 2)
        handshakes = from_server.seen.count(HANDSHAKE)
        say(b"r\n")
        from_server.wait_count(HANDSHAKE, handshakes + 1)
        if not interleaved:
            from_server.wait_count(CHANGE_CIPHER_SPEC, 2)
        say(b"2 200\r\n.\r\n")
        wait_for_command(b"NOOP")
        # The client's command came after its part of the new handshake: the server has finished it too, or the
        # client never took part, and then no reply comes.
        from_server.wait_count(CHANGE_CIPHER_SPEC, 2)
        say(b"+OK\r\n")
        wait_for_command(b"QUIT")
        say(b"+OK bye\r\n")
        # s_server lives until the client hangs up, which it does only after reading that reply: counting records
        # cannot tell when the reply has left, as s_server may send one reply in more than one record.
        with from_server.cond:
            from_server.cond.wait_for(lambda: None in from_server.seen, timeout=10)
    finally:
        server.kill()
        server.wait()


def listen_forever(listener, context, scenario):
    while True:
        client, _ = listener.accept()

        def run(client=client):
            try:
                if scenario == "clientcert":
                    serve(client, CLIENT_CERT_CONTEXT[0], scenario)
                elif scenario.startswith("renegotiate"):
                    serve_renegotiate(client, *CERT_AND_KEY, scenario == "renegotiatemid")
                else:
                    serve(client, context, scenario)
            except (EOFError, OSError, ssl.SSLError):
                pass
            finally:
                client.close()

        threading.Thread(target=run, daemon=True).start()


def main():
    cert, key, ports_file = sys.argv[1:4]
    CERT_AND_KEY[:] = [cert, key]
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(cert, key)
    # TLS 1.2, where a client without a certificate answers the request with an empty Certificate message.
    asking = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    asking.minimum_version = ssl.TLSVersion.TLSv1_2
    asking.maximum_version = ssl.TLSVersion.TLSv1_2
    asking.load_cert_chain(cert, key)
    asking.load_verify_locations(os.path.join(os.path.dirname(cert), "ca.pem"))
    asking.verify_mode = ssl.CERT_OPTIONAL
    CLIENT_CERT_CONTEXT[:] = [asking]
    lines = []
    threads = []
    for scenario in SCENARIOS:
        listener = socket.socket()
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", 0))
        listener.listen(8)
        lines.append("%s %d\n" % (scenario, listener.getsockname()[1]))
        t = threading.Thread(target=listen_forever, args=(listener, context, scenario), daemon=True)
        t.start()
        threads.append(t)
    with open(ports_file + ".tmp", "w") as f:
        f.writelines(lines)
    os.rename(ports_file + ".tmp", ports_file)
    for t in threads:
        t.join()


if __name__ == "__main__":
    main()
