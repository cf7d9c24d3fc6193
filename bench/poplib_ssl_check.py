#!/usr/bin/env python3
"""The peer of tls_check_bench: the same conversation as poplib_check.py over implicit TLS with
poplib.POP3_SSL, verifying the server certificate against the default trust (the harness's SSL_CERT_FILE).
Prints the seconds from connecting to the reply of QUIT (the interpreter's start-up is not counted)."""
import os
import poplib
import ssl
import time

context = ssl.create_default_context()
start = time.perf_counter()
pop = poplib.POP3_SSL(os.environ["QV_TLS_HOST_GOOD"], int(os.environ["QV_POP3S_PORT"]), context=context)
pop.user(os.environ["QV_POP3_USER"])
pop.pass_(os.environ["QV_POP3_PASS"])
count, _ = pop.stat()
for k in range(1, count + 1):
    pop.top(k, 9)
pop.list()
pop.quit()
print("%.6f %d" % (time.perf_counter() - start, count))
