#!/usr/bin/env python3
"""The peer of check_bench: the same POP3 conversation as one Quorvane check with two first lines wanted, by
Python's poplib: USER/PASS, STAT, TOP k 9 for every message, LIST, QUIT, reading every reply line. Prints the
seconds from connecting to the reply of QUIT (the interpreter's start-up is not counted)."""
import os
import poplib
import time

start = time.perf_counter()
pop = poplib.POP3(os.environ["QV_POP3_HOST"], int(os.environ["QV_POP3_PORT"]))
pop.user(os.environ["QV_POP3_USER"])
pop.pass_(os.environ["QV_POP3_PASS"])
count, _ = pop.stat()
for k in range(1, count + 1):
    pop.top(k, 9)
pop.list()
pop.quit()
print("%.6f %d" % (time.perf_counter() - start, count))
