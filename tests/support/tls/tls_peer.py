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
"""
import os
import socket
import ssl
import sys
import threading

MESSAGES = [
    b"From: tama@example.jp\r\nSubject: first\r\n\r\nHello over TLS\r\nsecond line\r\n",
    b"From: mike@example.jp\r\nSubject: second\r\n\r\nAnother body\r\n",
]
SCENARIOS = ["plain", "split", "huge", "closemid", "closenotify", "hang", "hangmid"]
RECORD_MAX = 16384


class Conn:
    def __init__(self, sock, context):
        self.sock = sock
        self.incoming = ssl.MemoryBIO()
        self.outgoing = ssl.MemoryBIO()
        self.tls = context.wrap_bio(self.incoming, self.outgoing, server_side=True)

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
                if out:
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


def serve(conn_sock, context, scenario):
    conn = Conn(conn_sock, context)
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
    while True:
        command = conn.read_line()
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
        elif verb == "LIST":
            lines = b"".join(b"%d %d\r\n" % (i + 1, len(m)) for i, m in enumerate(MESSAGES))
            send(b"+OK\r\n" + lines + b".\r\n")
        elif verb == "QUIT":
            send(b"+OK bye\r\n")
            return
        else:
            send(b"-ERR unknown\r\n")


def listen_forever(listener, context, scenario):
    while True:
        client, _ = listener.accept()

        def run(client=client):
            try:
                serve(client, context, scenario)
            except (EOFError, OSError, ssl.SSLError):
                pass
            finally:
                client.close()

        threading.Thread(target=run, daemon=True).start()


def main():
    cert, key, ports_file = sys.argv[1:4]
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(cert, key)
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
