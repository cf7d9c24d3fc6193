#!/usr/bin/env python3
"""The peer of tls_check_bench: the same conversation as poplib_check.py over implicit TLS with
poplib.POP3_SSL, verifying the server certificate against the default trust (the harness's SSL_CERT_FILE).
Prints the seconds from connecting to the reply of QUIT (the interpreter's start-up is not counted)."""
import os
import poplib
import ssl

from poplib_check import timed_conversation

context = ssl.create_default_context()
print("%.6f %d" % timed_conversation(
    lambda: poplib.POP3_SSL(os.environ["QV_TLS_HOST_GOOD"], int(os.environ["QV_POP3S_PORT"]), context=context)))
