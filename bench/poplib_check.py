#!/usr/bin/env python3
"""The peer of check_bench: the same POP3 conversation as one Quorvane check with two first lines wanted, by
Python's poplib: USER/PASS, STAT, TOP k 9 for every message, LIST, QUIT, reading every reply line. Prints the
seconds from connecting to the reply of QUIT (the interpreter's start-up is not counted)."""
import os
import poplib
import time


def timed_conversation(connect):
    """Holds the conversation on the connection connect() opens; the seconds from connecting to the reply of
    QUIT and the message count."""
    start = time.perf_counter()
    pop = connect()
    pop.user(os.environ["QV_POP3_USER"])
    pop.pass_(os.environ["QV_POP3_PASS"])
    count, _ = pop.stat()
    for k in range(1, count + 1):
        pop.top(k, 9)
    pop.list()
    pop.quit()
    return time.perf_counter() - start, count


if __name__ == "__main__":
    print("%.6f %d" % timed_conversation(
        lambda: poplib.POP3(os.environ["QV_POP3_HOST"], int(os.environ["QV_POP3_PORT"]))))
