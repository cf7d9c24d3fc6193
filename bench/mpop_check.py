#!/usr/bin/env python3
"""A peer of check_bench: Debian's mpop, a POP3 client in C with pipelining, asked for the mailbox's status only
(`mpop -s`: CAPA, USER/PASS, STAT, LIST, UIDL, QUIT), with its own list of seen ids kept from round to round.
Prints the seconds the mpop process takes, from its start to its exit, and the message count it reported."""
import os
import re
import subprocess
import sys
import tempfile
import time

UIDLS = os.path.join(tempfile.gettempdir(), "qv-bench-mpop-uidls-%d" % os.getuid())


def main():
    command = ["mpop", "--status-only", "--host=" + os.environ["QV_POP3_HOST"],
               "--port=" + os.environ["QV_POP3_PORT"], "--user=" + os.environ["QV_POP3_USER"],
               "--passwordeval=printenv QV_POP3_PASS", "--auth=user", "--tls=off", "--pipelining=auto",
               "--uidls-file=" + UIDLS, "--delivery=mda,/bin/true"]
    start = time.perf_counter()
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                          env=dict(os.environ, MPOPRC="/dev/null"))
    seconds = time.perf_counter() - start
    out = done.stdout.decode("utf-8", "replace")
    found = re.search(r"(\d+) messages?", out)
    if done.returncode != 0 or found is None:
        sys.stderr.write(out)
        return 1
    print("%.6f %s" % (seconds, found.group(1)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
