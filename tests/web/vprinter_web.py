"""Runs a real qw77-vprinter with its web view for the web tests and the benchmark."""
import json
import os
import select
import signal
import socket
import subprocess
import tempfile
import time
import urllib.error
import urllib.request

# A ticket as a point-of-sale program sends it: a few lines, a CODE128 barcode, a cut.
BARCODE_DATA = "QW77-4711"


def ticket_bytes(title="Web view test"):
    code = b"{B" + BARCODE_DATA.encode()
    return (b"\x1b@" + b"\x1ba\x01" + title.encode() + b"\n" + b"\x1ba\x00" +
            b"1 x coffee        2.40\n1 x roll          1.10\n" +
            b"\x1dh\x50\x1dw\x02\x1dH\x02" + b"\x1dkI" + bytes([len(code)]) + code +
            b"\n\n\x1dV\x00")


class VPrinter:
    """qw77-vprinter with --tcp 0 --http 0 in a fresh ticket folder."""

    def __init__(self, exe, *extra, out_dir=None):
        self.tmp = tempfile.TemporaryDirectory(prefix="qw77-web-")
        self.out_dir = out_dir or os.path.join(self.tmp.name, "tickets")
        self.proc = subprocess.Popen(
            [exe, "--no-serial", "--tcp", "0", "--http", "0", "--out", self.out_dir, "--quiet",
             *extra], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.lines = {}
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("the printer stopped: " + self.proc.stderr.read())
            key, _, value = line.rstrip("\n").partition(": ")
            self.lines.setdefault(key, value)
            if line == "ready\n":
                break
        self.http = self.lines["http"]
        host, _, port = self.lines["tcp"].rpartition(":")
        self.tcp = (host, int(port))
        self.base = "http://" + self.http

    def url(self, path):
        return self.base + path

    def request(self, path, method="GET", body=None, timeout=10):
        """(status, headers, body bytes) of one request; error statuses too."""
        data = None if body is None else (body if isinstance(body, bytes) else
                                          json.dumps(body).encode())
        req = urllib.request.Request(self.url(path), data=data, method=method)
        if data is not None:
            req.add_header("Content-Type", "application/json")
        try:
            with urllib.request.urlopen(req, timeout=timeout) as r:
                return r.status, r.headers, r.read()
        except urllib.error.HTTPError as e:
            return e.code, e.headers, e.read()

    def json(self, path, method="GET", body=None):
        status, _, data = self.request(path, method, body)
        return status, json.loads(data)

    def print_tcp(self, data, reply_bytes=0, timeout=5):
        """Sends bytes over TCP; returns the reply bytes asked for (and closes)."""
        with socket.create_connection(self.tcp, timeout=timeout) as s:
            s.sendall(data)
            got = b""
            while len(got) < reply_bytes:
                chunk = s.recv(reply_bytes - len(got))
                if not chunk:
                    break
                got += chunk
            s.shutdown(socket.SHUT_WR)
            s.recv(1)
            return got

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc.stdout.close()
        self.proc.stderr.close()
        self.tmp.cleanup()


class EventReader:
    """A raw client of /api/events: the events as they come, with their arrival time."""

    def __init__(self, vp):
        host, _, port = vp.http.rpartition(":")
        self.sock = socket.create_connection((host, int(port)), timeout=10)
        self.sock.sendall(b"GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n")
        self.buf = b""
        self._read_until(b"retry:", time.monotonic() + 5)

    def _read_until(self, marker, deadline):
        while marker not in self.buf:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.sock], [], [], left)[0]:
                return False
            chunk = self.sock.recv(65536)
            if not chunk:
                return False
            self.buf += chunk
        return True

    def next(self, event_type, limit_s=5):
        """(arrival time, data) of the next event of that type, or None past the limit."""
        deadline = time.monotonic() + limit_s
        while True:
            while b"\n\n" in self.buf:
                block, _, self.buf = self.buf.partition(b"\n\n")
                fields = dict(l.split(": ", 1) for l in block.decode().split("\n")
                              if ": " in l)
                if fields.get("event") == event_type:
                    return time.monotonic(), json.loads(fields["data"])
            if not self._read_until(b"\n\n", deadline):
                return None

    def close(self):
        self.sock.close()
