"""The web view in headless Chromium, driven by Selenium: the page loads clean, a ticket
printed over TCP appears with its picture (whose barcode reads back), and the page's
"paper out" switch reaches the replies of the TCP interface.
Usage: web_browser_test.py QW77_VPRINTER QW77_CLI [SCREENSHOT.png]
Exits 77 (skipped) when Chromium, its driver or Selenium is not installed."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

from vprinter_web import BARCODE_DATA, VPrinter, ticket_bytes

SKIP = 77
try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    webdriver = None

EXE = CLI = SCREENSHOT = None
CHROMIUM, DRIVER = "/usr/bin/chromium", "/usr/bin/chromedriver"


def missing():
    if webdriver is None:
        return "python3-selenium is not installed"
    for path, package in [(CHROMIUM, "chromium"), (DRIVER, "chromium-driver")]:
        if not os.access(path, os.X_OK):
            return package + " is not installed (" + path + ")"
    return None


class BrowserTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.profile = tempfile.TemporaryDirectory(prefix="qw77-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--disable-dev-shm-usage",
                     "--window-size=1280,900", "--user-data-dir=" + cls.profile.name]:
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        cls.browser = webdriver.Chrome(service=Service(DRIVER), options=options)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.profile.cleanup()

    def setUp(self):
        self.vp = VPrinter(EXE)
        self.browser.get(self.vp.url("/"))
        self.wait = WebDriverWait(self.browser, 10, poll_frequency=0.02)
        self.wait.until(lambda b: b.find_element(By.ID, "link").text == "live")
        self.wait.until(lambda b: b.find_elements(By.ID, "switch-paper_out"))

    def tearDown(self):
        # Leave the page first, so that its stream ending is not the next test's error.
        self.browser.get("about:blank")
        self.browser.get_log("browser")
        self.vp.stop()

    def console_errors(self):
        return [e for e in self.browser.get_log("browser") if e["level"] == "SEVERE"]

    def cli_status(self):
        env = dict(os.environ, QW77_COM1="tcp:%s:%d" % self.vp.tcp)
        return subprocess.run([CLI, "status", "--port", "COM1"], env=env, capture_output=True,
                              text=True, timeout=30)

    def test_a_ticket_appears_with_its_picture_and_barcode(self):
        self.assertEqual(self.console_errors(), [])
        self.vp.print_tcp(ticket_bytes())
        sent = time.monotonic()
        card = self.wait.until(lambda b: b.find_element(By.ID, "ticket-1"))
        took = time.monotonic() - sent
        self.assertLess(took, 1.0, "the ticket took %.3f s to appear" % took)
        picture = card.find_element(By.CSS_SELECTOR, "img.picture")
        self.wait.until(lambda b: b.execute_script(
            "return arguments[0].complete && arguments[0].naturalWidth", picture))
        self.assertEqual(self.browser.execute_script("return arguments[0].naturalWidth",
                                                     picture), 480)
        link = card.find_element(By.CSS_SELECTOR, "a.png").get_attribute("href")
        with tempfile.NamedTemporaryFile(suffix=".png") as png:
            png.write(urllib.request.urlopen(link, timeout=10).read())
            png.flush()
            read = subprocess.run(["zbarimg", "--raw", "-q", png.name], capture_output=True,
                                  text=True, timeout=30)
        self.assertEqual(read.stdout.strip(), BARCODE_DATA)
        # The command view: each command's bytes, its name and what it did.
        card.find_element(By.CSS_SELECTOR, "a.cmds").click()
        rows = self.wait.until(lambda b: b.find_elements(By.CSS_SELECTOR, "#commands-body tr"))
        cut = [r.text for r in rows if "GS V" in r.text]
        self.assertEqual(len(cut), 1)
        self.assertIn("1D 56 00", cut[0])
        self.assertIn("full cut", cut[0])
        self.assertEqual(self.console_errors(), [])

    def test_the_paper_out_switch_reaches_the_tcp_replies(self):
        self.assertEqual(self.cli_status().returncode, 0)
        switch = self.browser.find_element(By.ID, "switch-paper_out")
        for on, reply, exit_code in [(True, 0x12 | 0x0C | 0x60, 1), (False, 0x12, 0)]:
            with self.subTest(paper_out=on):
                switch.click()
                self.wait.until(lambda b: self.vp.json("/api/printer")[1]["switches"]
                                ["paper_out"] == on)
                self.assertEqual(self.vp.print_tcp(b"\x10\x04\x04", 1), bytes([reply]))
                status = self.cli_status()
                self.assertEqual(status.returncode, exit_code, status.stdout + status.stderr)
        self.assertEqual(self.console_errors(), [])

    def test_screenshot_of_the_page(self):
        if not SCREENSHOT:
            self.skipTest("no screenshot asked for")
        for n, title in enumerate(["Table 4", "Take-away", "Table 7"], 1):
            self.vp.print_tcp(ticket_bytes(title))
            self.wait.until(lambda b: b.find_elements(By.ID, "ticket-%d" % n))
        self.browser.find_element(By.ID, "switch-near_end").click()
        self.wait.until(lambda b: self.vp.json("/api/printer")[1]["switches"]["near_end"])
        self.wait.until(lambda b: b.execute_script(
            "return [...document.images].every((i) => i.complete)"))
        self.browser.save_screenshot(SCREENSHOT)


if __name__ == "__main__":
    EXE, CLI = sys.argv[1], sys.argv[2]
    SCREENSHOT = sys.argv[3] if len(sys.argv) > 3 else None
    del sys.argv[1:]
    why = missing()
    if why:
        print("skipped: " + why)
        sys.exit(SKIP)
    sys.exit(0 if unittest.main(exit=False).result.wasSuccessful() else 1)
