#!/usr/bin/python3
"""The web view's latency: from a ticket's last byte over TCP to its "ticket" event on the
event stream, over RUNS tickets (default 50), with the median, fastest, 90th percentile and
slowest. The connection is open and the rest of the ticket sent before the clock starts.

    python3 bench/web_event_bench.py                   # release build, 50 tickets
    RUNS=100 QW77_PRESET=debug python3 bench/web_event_bench.py
"""
import os
import socket
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "web"))
from vprinter_web import EventReader, VPrinter, ticket_bytes  # noqa: E402

preset = os.environ.get("QW77_PRESET", "release")
runs = int(os.environ.get("RUNS", "50"))
exe = os.path.join(ROOT, "build", preset, "bin", "qw77-vprinter")
if not os.access(exe, os.X_OK):
    subprocess.run(["cmake", "--preset", preset], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", preset, "--target", "qw77-vprinter"],
                   cwd=ROOT, check=True, stdout=subprocess.DEVNULL)

vp = VPrinter(exe)
try:
    events = EventReader(vp)
    data = ticket_bytes()
    took_ms = []
    for i in range(runs):
        with socket.create_connection(vp.tcp, timeout=10) as s:
            s.sendall(data[:-1])
            time.sleep(0.05)  # the rest is taken before the clock starts
            events.buf = b""
            started = time.monotonic()
            s.sendall(data[-1:])
            got = events.next("ticket", limit_s=10)
            if got is None:
                sys.exit("ticket %d: no event within 10 s" % (i + 1))
            took_ms.append((got[0] - started) * 1000)
    took_ms.sort()
    print("web view: last byte over TCP to the ticket event, %d tickets (%s build)"
          % (runs, preset))
    print("  median %.2f ms, fastest %.2f ms, 90th percentile %.2f ms, slowest %.2f ms" % (
        statistics.median(took_ms), took_ms[0], took_ms[int(len(took_ms) * 0.9) - 1],
        took_ms[-1]))
    events.close()
finally:
    vp.stop()
