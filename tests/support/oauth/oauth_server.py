#!/usr/bin/env python3
"""A small OAuth 2.0 authorization server over HTTPS for the tests: it issues codes, access tokens and rotating
refresh tokens, checks PKCE (S256), and answers Dovecot's token introspection.

Usage: oauth_server.py CERT KEY UNTRUSTED_CERT UNTRUSTED_KEY USER PORTFILE
Writes "trusted <port>", "untrusted <port>" and "browser <port>" to PORTFILE: the same server over HTTPS with a
certificate from the test CA, with a self-signed one, and over plain HTTP for the tests that play the browser's
part with plain requests (the browser side is never the program's). Every token belongs to USER.

Endpoints:
  GET  /authorize?...            302 to redirect_uri with code and state; client_id "deny" gets error=access_denied
  POST /token                    authorization_code (PKCE checked) and refresh_token grants
  POST /introspect               token=... -> {"active": true/false, "username": USER}
  POST /expire                   token=... -> that access token stops being active
  POST /revoke                   refresh_token=... -> that refresh token is refused from now on
  POST /token/not-json, /token/no-access-token, /token/huge, /token/redirect    broken token endpoints
  GET  /stats                    JSON counts of what was asked, for the tests to check
"""
import base64
import hashlib
import http.server
import json
import secrets
import ssl
import sys
import os
import threading
import urllib.parse

LOCK = threading.Lock()
CODES = {}  # code -> (challenge, redirect_uri, client_id)
ACCESS = set()
REFRESH = set()
STATS = {"authorize": 0, "code_grants": 0, "refresh_grants": 0, "refused": 0, "introspections": 0}
USER = ""


def token(prefix):
    return prefix + secrets.token_urlsafe(24)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def reply(self, status, body, content_type="application/json", headers=()):
        data = body if isinstance(body, bytes) else json.dumps(body).encode()
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(data)

    def form(self):
        length = int(self.headers.get("Content-Length") or 0)
        return {k: v[0] for k, v in urllib.parse.parse_qs(self.rfile.read(length).decode()).items()}

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = {k: v[0] for k, v in urllib.parse.parse_qs(url.query).items()}
        if url.path == "/authorize":
            with LOCK:
                STATS["authorize"] += 1
            target = query.get("redirect_uri", "")
            if query.get("client_id") == "deny":
                params = {"error": "access_denied", "state": query.get("state", "")}
            elif query.get("code_challenge_method") != "S256" or "code_challenge" not in query:
                params = {"error": "invalid_request", "state": query.get("state", "")}
            else:
                code = token("code-")
                with LOCK:
                    CODES[code] = (query["code_challenge"], target, query.get("client_id", ""))
                params = {"code": code, "state": query.get("state", "")}
            self.reply(302, b"", "text/plain", [("Location", target + "?" + urllib.parse.urlencode(params))])
        elif url.path == "/stats":
            with LOCK:
                self.reply(200, dict(STATS))
        else:
            self.reply(404, {"error": "not_found"})

    def issue(self):
        access, refresh = token("at-"), token("rt-")
        ACCESS.add(access)
        REFRESH.add(refresh)
        return {"access_token": access, "refresh_token": refresh, "token_type": "Bearer", "expires_in": 3600}

    def do_POST(self):
        path = urllib.parse.urlsplit(self.path).path
        form = self.form()
        if path == "/token":
            with LOCK:
                grant = form.get("grant_type")
                if grant == "authorization_code":
                    entry = CODES.pop(form.get("code", ""), None)
                    verifier = form.get("code_verifier", "")
                    digest = base64.urlsafe_b64encode(hashlib.sha256(verifier.encode()).digest()).rstrip(b"=")
                    if entry and entry[0] == digest.decode() and entry[1] == form.get("redirect_uri") and \
                            entry[2] == form.get("client_id"):
                        STATS["code_grants"] += 1
                        return self.reply(200, self.issue())
                elif grant == "refresh_token" and form.get("refresh_token") in REFRESH:
                    REFRESH.discard(form["refresh_token"])  # rotated: the old one is spent
                    STATS["refresh_grants"] += 1
                    return self.reply(200, self.issue())
                STATS["refused"] += 1
            return self.reply(400, {"error": "invalid_grant", "error_description": "no"})
        if path == "/introspect":
            with LOCK:
                STATS["introspections"] += 1
                active = form.get("token") in ACCESS
            return self.reply(200, {"active": active, "username": USER} if active else {"active": False})
        if path == "/expire":
            with LOCK:
                ACCESS.discard(form.get("token"))
            return self.reply(200, {})
        if path == "/revoke":
            with LOCK:
                REFRESH.discard(form.get("refresh_token"))
            return self.reply(200, {})
        if path == "/token/not-json":
            return self.reply(200, b"<html>maintenance</html>", "text/html")
        if path == "/token/no-access-token":
            return self.reply(200, {"token_type": "Bearer", "expires_in": 3600})
        if path == "/token/huge":
            return self.reply(200, b"{\"access_token\":\"" + b"a" * 200000 + b"\"}")
        if path == "/token/redirect":
            return self.reply(307, b"", "text/plain", [("Location", "https://127.0.0.1:1/token")])
        self.reply(404, {"error": "not_found"})


class Server(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        # A client that stops reading a body too large for it (as it should) is no fault of the server's.
        if not isinstance(sys.exc_info()[1], (ConnectionError, ssl.SSLError)):
            super().handle_error(request, client_address)


def serve(cert, key):
    server = Server(("127.0.0.1", 0), Handler)
    if cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def main():
    global USER
    cert, key, untrusted_cert, untrusted_key, USER, portfile = sys.argv[1:7]
    trusted = serve(cert, key)
    untrusted = serve(untrusted_cert, untrusted_key)
    browser = serve(None, None)
    with open(portfile + ".tmp", "w") as f:
        f.write(f"trusted {trusted}\nuntrusted {untrusted}\nbrowser {browser}\n")
    os.replace(portfile + ".tmp", portfile)
    threading.Event().wait()


if __name__ == "__main__":
    main()
