"""The web view's JSON API over real HTTP against a real printer: every endpoint, and
requests meant to harm it. Usage: web_api_test.py QW77_VPRINTER"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from vprinter_web import VPrinter, EventReader, ticket_bytes

EXE = None
PNG = b"\x89PNG\r\n\x1a\n"
DLE_EOT_4 = b"\x10\x04\x04"


def raw_request(vp, target, extra=b""):
    """Sends a request line as it is (no client tidies the path); returns the whole reply."""
    host, _, port = vp.http.rpartition(":")
    with socket.create_connection((host, int(port)), timeout=10) as s:
        s.sendall(b"GET " + target + b" HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                  b"Connection: close\r\n" + extra + b"\r\n")
        reply = b""
        while chunk := s.recv(65536):
            reply += chunk
    return reply


class WebApiTest(unittest.TestCase):
    def setUp(self):
        self.vp = VPrinter(EXE)

    def tearDown(self):
        self.vp.stop()

    def print_ticket(self, number):
        """Prints a ticket and waits for the history to list it."""
        events = EventReader(self.vp)
        self.vp.print_tcp(ticket_bytes())
        self.assertIsNotNone(events.next("ticket"), "no ticket event")
        events.close()
        status, t = self.vp.json("/api/tickets/%d" % number)
        self.assertEqual(status, 200)
        return t

    def test_a_ticket_through_every_endpoint(self):
        self.assertEqual(self.vp.json("/api/tickets"), (200, []))
        sent = ticket_bytes()
        t = self.print_ticket(1)
        self.assertEqual((t["number"], t["bytes"], t["source"]), (1, len(sent), "tcp"))
        self.assertGreater(t["dots"], 100)
        cut = [c for c in t["commands"] if c["name"] == "GS V"]
        self.assertEqual([(c["hex"], c["at"], c["length"]) for c in cut],
                         [("1D 56 00", len(sent) - 3, 3)])
        self.assertEqual([x["number"] for x in self.vp.json("/api/tickets")[1]], [1])
        cases = [  # path, status, type, what the body starts with or holds
            ("/api/tickets/1.png", 200, "image/png", PNG),
            ("/api/tickets/1.png?part=1", 200, "image/png", PNG),
            ("/api/tickets/1.bin", 200, "application/octet-stream", sent),
            ("/api/tickets/1.log", 200, "text/plain; charset=utf-8", b"tcp @0 -- client"),
            ("/api/tickets/1.png?part=2", 404, "application/json", b'{"error"'),
            ("/api/tickets/1.png?part=0", 400, "application/json", b'{"error"'),
            ("/api/tickets/1.png?x=1", 400, "application/json", b'{"error"'),
            ("/api/tickets/2", 404, "application/json", b'{"error"'),
            ("/api/tickets/1.json", 404, "application/json", b'{"error"'),
            ("/api/tickets/x", 404, "application/json", b'{"error"'),
            ("/api/tickets/1234567890", 404, "application/json", b'{"error"'),
            ("/api/nothing", 404, "application/json", b'{"error"'),
            ("/", 200, "text/html; charset=utf-8", b"<!DOCTYPE html>"),
            ("/page.js", 200, "text/javascript; charset=utf-8", b"// The virtual"),
            ("/page.css", 200, "text/css; charset=utf-8", b":root"),
        ]
        for path, status, ctype, body in cases:
            with self.subTest(path=path):
                got_status, headers, got = self.vp.request(path)
                self.assertEqual((got_status, headers["Content-Type"]), (status, ctype))
                self.assertTrue(got.startswith(body), got[:80])
        self.assertEqual(self.vp.request("/api/tickets/1.bin")[2], sent)

    def test_bytes_arriving_show_before_the_ticket_ends(self):
        events = EventReader(self.vp)
        with socket.create_connection(self.vp.tcp, timeout=10) as s:
            s.sendall(b"\x10\x04\x04")  # a status request alone is no ticket
            s.recv(1)
            s.sendall(b"Hello\n")
            _, progress = events.next("progress")
            self.assertEqual(progress, {"source": "tcp", "bytes": 9})
            s.sendall(b"\x1dV\x00")
            _, ticket = events.next("ticket")
            self.assertEqual(ticket["bytes"], 12)
        events.close()

    def test_switches_act_on_the_replies_at_once(self):
        status, p = self.vp.json("/api/printer")
        self.assertEqual(status, 200)
        self.assertEqual(set(p["switches"]), {
            "paper_out", "near_end", "head_voltage", "cutter", "black_mark", "temperature",
            "hardware", "silent", "busy_forever"})
        self.assertEqual([i["name"] for i in p["interfaces"]], ["tcp", "http"])
        self.assertEqual(p["paper"], {"dots": 448, "mm": 60})
        cases = [  # switches put, DLE EOT 4 reply (paper sensors: 0x0C end, 0x60 near end)
            ({"paper_out": True}, 0x12 | 0x0C | 0x60),
            ({"paper_out": False, "near_end": True}, 0x12 | 0x0C),
            ({"near_end": False}, 0x12),
        ]
        for switches, reply in cases:
            with self.subTest(switches=switches):
                status, p = self.vp.json("/api/printer/conditions", "PUT", switches)
                self.assertEqual(status, 200)
                for name, on in switches.items():
                    self.assertEqual(p["switches"][name], on)
                self.assertEqual(self.vp.print_tcp(DLE_EOT_4, 1), bytes([reply]))
        self.vp.json("/api/printer/conditions", "PUT", {"silent": True})
        with socket.create_connection(self.vp.tcp, timeout=0.5) as s:
            s.sendall(DLE_EOT_4)
            self.assertRaises(socket.timeout, s.recv, 1)

    def test_bad_switches_are_refused_with_the_reason(self):
        cases = [  # method, path, body, status
            ("PUT", "/api/printer/conditions", {"paper_outx": True}, 400),
            ("PUT", "/api/printer/conditions", {"paper_out": 1}, 400),
            ("PUT", "/api/printer/conditions", [True], 400),
            ("PUT", "/api/printer/conditions", b"{", 400),
            ("PUT", "/api/printer/conditions", b'{"paper_out":true' + b" " * 17000 + b"}", 413),
            ("POST", "/api/printer/conditions", {"paper_out": True}, 405),
            ("POST", "/api/printer", {}, 405),
            ("PUT", "/api/tickets", {}, 405),
            ("DELETE", "/api/tickets/1", None, 405),
        ]
        for method, path, body, status in cases:
            with self.subTest(method=method, body=str(body)[:30]):
                got, _, data = self.vp.request(path, method, body)
                self.assertEqual(got, status, data)
                self.assertIn(b'"error"', data)
        self.assertFalse(self.vp.json("/api/printer")[1]["switches"]["paper_out"])

    def test_clearing_the_history_keeps_the_files(self):
        self.print_ticket(1)
        self.assertEqual(self.vp.json("/api/tickets", "DELETE"), (200, {"cleared": True}))
        self.assertEqual(self.vp.json("/api/tickets"), (200, []))
        self.assertEqual(self.vp.request("/api/tickets/1.png")[0], 404)
        self.assertTrue(os.path.exists(os.path.join(self.vp.out_dir, "ticket-0001.png")))

    def test_hostile_paths_reach_nothing_outside_the_folder(self):
        self.print_ticket(1)
        # A link in the folder that points out of it is neither listed nor followed.
        os.symlink("/etc/passwd", os.path.join(self.vp.out_dir, "ticket-0099.png"))
        targets = [b"/api/tickets/../../etc/passwd", b"/api/tickets/%2e%2e/%2e%2e/etc/passwd",
                   b"/api/tickets/%2E%2E%2F%2E%2E%2Fetc%2Fpasswd", b"/../../../../etc/passwd",
                   b"/api/tickets/1.png/../../../../../etc/passwd", b"/api/tickets/99.png",
                   b"/api/tickets/1.log%00.png", b"/%2e%2e/%2e%2e/etc/passwd",
                   b"/api/tickets/..%2f..%2f..%2fetc%2fpasswd.png", b"//etc/passwd",
                   b"/api/tickets/" + b"9" * 100000, b"/" + b"a" * 8000 + b"/../../../etc/passwd"]
        for target in targets:
            with self.subTest(target=target[:60]):
                reply = raw_request(self.vp, target)
                self.assertRegex(reply[:12], rb"HTTP/1\.[01] [1-5]\d\d")
                self.assertNotIn(b"root:", reply)
                self.assertNotEqual(reply[9:12], b"200")
        self.assertEqual(raw_request(self.vp, b"/api/tickets/1.png")[9:12], b"200")

    def test_a_name_that_is_not_loopback_is_refused(self):
        # A web site whose name points at 127.0.0.1 is not let in through the browser.
        host, _, port = self.vp.http.rpartition(":")
        with socket.create_connection((host, int(port)), timeout=10) as s:
            s.sendall(b"GET /api/tickets HTTP/1.1\r\nHost: evil.example:%s\r\n"
                      b"Connection: close\r\n\r\n" % port.encode())
            self.assertEqual(s.recv(12)[9:12], b"403")

    def test_a_hundred_connections_at_once_are_each_answered(self):
        host, _, port = self.vp.http.rpartition(":")
        socks = [socket.create_connection((host, int(port)), timeout=30) for _ in range(100)]
        for s in socks:
            s.sendall(b"GET /api/printer HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                      b"Connection: close\r\n\r\n")
        statuses = []
        for s in socks:
            reply = b""
            while chunk := s.recv(65536):
                reply += chunk
            statuses.append(reply[9:12])
            s.close()
        self.assertEqual(statuses, [b"200"] * 100)

    def test_a_client_that_never_reads_the_stream_holds_nothing_up(self):
        host, _, port = self.vp.http.rpartition(":")
        stuck = socket.socket()
        stuck.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1024)
        stuck.connect((host, int(port)))
        stuck.sendall(b"GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n")
        for n in range(1, 31):
            self.vp.print_tcp(ticket_bytes("ticket %d" % n))
        deadline = time.monotonic() + 10
        while len(self.vp.json("/api/tickets")[1]) < 30 and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertEqual(len(self.vp.json("/api/tickets")[1]), 30)
        self.assertEqual(self.vp.request("/api/printer", timeout=3)[0], 200)
        stuck.close()

    def test_an_idle_connection_is_closed(self):
        host, _, port = self.vp.http.rpartition(":")
        with socket.create_connection((host, int(port)), timeout=20) as s:
            started = time.monotonic()
            self.assertEqual(s.recv(1), b"")  # closed by the printer, not by the limit here
            self.assertLess(time.monotonic() - started, 20)


class StartTest(unittest.TestCase):
    def test_an_ipv6_address_is_refused_with_the_reason(self):
        run = subprocess.run([EXE, "--no-serial", "--http", "[::1]:0", "--out",
                              tempfile.mkdtemp(prefix="qw77-web-")], capture_output=True,
                             text=True, timeout=30)
        self.assertEqual(run.returncode, 2)
        self.assertIn("IPv4 only", run.stderr)


class FolderHistoryTest(unittest.TestCase):
    """Tickets already in --out are listed on start: the newest 1,000."""

    def make_folder(self, count, png):
        folder = os.path.join(self.tmp, "tickets-%d" % count)
        os.makedirs(folder)
        for n in range(1, count + 1):
            path = os.path.join(folder, "ticket-%04d.png" % n)
            shutil.copyfile(png, path)
            os.utime(path, (1_700_000_000 + n, 1_700_000_000 + n))
        return folder

    def test_the_newest_thousand_are_listed(self):
        first = VPrinter(EXE)
        try:
            events = EventReader(first)
            first.print_tcp(ticket_bytes())
            events.next("ticket")
            png = os.path.join(first.out_dir, "ticket-0001.png")
            self.tmp = first.tmp.name
            for count, newest, oldest in [(1000, 1000, 1), (1001, 1001, 2)]:
                with self.subTest(count=count):
                    vp = VPrinter(EXE, out_dir=self.make_folder(count, png))
                    try:
                        listed = vp.json("/api/tickets")[1]
                        self.assertEqual(len(listed), 1000)
                        self.assertEqual((listed[0]["number"], listed[-1]["number"]),
                                         (newest, oldest))
                        self.assertEqual(listed[0]["bytes"], -1)  # no .bin beside it
                        self.assertEqual(vp.request("/api/tickets/%d.png" % oldest)[0], 200)
                    finally:
                        vp.stop()
            # The printer's own metadata comes back with the ticket on the next start.
            again = VPrinter(EXE, out_dir=first.out_dir)
            try:
                t = again.json("/api/tickets/1")[1]
                self.assertEqual((t["source"], t["bytes"]), ("tcp", len(ticket_bytes())))
                self.assertTrue(any(c["name"] == "GS V" for c in t["commands"]))
            finally:
                again.stop()
        finally:
            first.stop()


if __name__ == "__main__":
    EXE = sys.argv.pop(1)
    unittest.main()
