"""kestan-io serve --http on the simulated PC, in headless Chromium (through
chromedriver and Selenium), as a person at a laptop uses the panel page, and
the same server against bad requests.

    /usr/bin/python3 page_test.py KESTAN_IO KESTAN_SIM [SCREENSHOT.png]
"""
import http.client
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from serve_process import ServeProcess  # noqa: E402

KESTAN_IO = KESTAN_SIM = SCREENSHOT = None
RED, WHITE, GREEN, DARK_GREEN = "#ff0000", "#ffffff", "#00ff00", "#008000"
# Chromium as root on a machine without a network, with nothing of its own
# running in the background.
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--window-size=800,600"]


class Server(ServeProcess):
    """kestan-io serving one card of the simulated PC's on a port of its own."""

    def __init__(self, kind, base, *serve_words):
        super().__init__(KESTAN_IO, kind, base, ["--http", "0", *serve_words],
                         listening=r"http: listening on 127\.0\.0\.1:(\d+),")
        self.origin = "http://127.0.0.1:%d" % self.port

    def request(self, method, path, body=None, headers=None):
        """One request; its status and the JSON it answered (None if not JSON)."""
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=5)
        connection.request(method, path, body=body, headers=headers or {})
        answer = connection.getresponse()
        data = answer.read()
        connection.close()
        try:
            return answer.status, json.loads(data)
        except ValueError:
            return answer.status, None

    def state(self):
        status, state = self.request("GET", "/api/state")
        assert status == 200, status
        return state

    def write(self, body, origin=None, host=None):
        headers = {"Content-Type": "application/json", "Origin": origin or self.origin}
        if host:
            headers["Host"] = host
        return self.request("POST", "/api/lines", json.dumps(body), headers)


class OtherSite:
    """A page of another site, on another port of this machine."""

    def __init__(self):
        class Page(BaseHTTPRequestHandler):
            def do_GET(self):
                self.send_response(200)
                self.send_header("Content-Type", "text/html")
                self.end_headers()
                self.wfile.write(b"<!DOCTYPE html><title>another site</title>")

            def log_message(self, *args):
                pass

        self.server = ThreadingHTTPServer(("127.0.0.1", 0), Page)
        self.url = "http://127.0.0.1:%d/" % self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class BrowserCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.profile = tempfile.mkdtemp(prefix="kestan-chromium-")
        options = Options()
        options.binary_location = "/usr/bin/chromium"
        for flag in CHROMIUM_FLAGS + ["--user-data-dir=" + cls.profile]:
            options.add_argument(flag)
        cls.browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        shutil.rmtree(cls.profile, ignore_errors=True)

    def serve(self, kind, base, *serve_words):
        # Each case on a PC at power-up: the page shows what the card drives,
        # and an earlier case's outputs would still be on.
        self.sim("reset")
        server = Server(kind, base, *serve_words)
        self.addCleanup(server.close)
        return server

    def open_page(self, server):
        self.browser.get(server.origin + "/")
        self.wait_for(lambda: self.browser.execute_script("return document.body.dataset.sequence"))

    def fill(self, element_id):
        return self.browser.find_element(By.ID, element_id).get_attribute("fill")

    def wait_for(self, condition, seconds=3.0):
        return WebDriverWait(self.browser, seconds, poll_frequency=0.005).until(lambda _: condition())

    def click(self, element_id):
        # A click where the user would: the middle of the element.
        self.browser.find_element(By.ID, element_id).click()

    def sim(self, *words):
        subprocess.run([KESTAN_SIM, *words], check=True, capture_output=True, timeout=10)


class KestanPage(BrowserCase):
    def test_input_lamp_5_turns_red_within_200_ms_of_a_line_set_by_another_process(self):
        server = self.serve("kestan", "0x2A8")
        self.open_page(server)
        self.assertEqual(self.fill("input-5"), WHITE)
        # The page notes when the lamp turns, by the system's clock as this process reads it.
        self.browser.execute_script("""
            window.turnedAt = null;
            new MutationObserver(() => { window.turnedAt = performance.timeOrigin + performance.now(); })
              .observe(document.getElementById("input-5"), {attributes: true, attributeFilter: ["fill"]});""")
        self.sim("set", "2A8", "0", "5", "1")
        set_at = time.time() * 1000
        self.wait_for(lambda: self.fill("input-5") == RED)
        self.assertLess(self.browser.execute_script("return window.turnedAt") - set_at, 200)
        self.assertEqual(self.fill("input-4"), WHITE)

    def test_a_click_on_output_lamp_7_turns_it_and_its_loopback_input_red(self):
        server = self.serve("kestan", "0x2A8", "--allow-writes")
        self.open_page(server)
        self.click("output-7")
        self.wait_for(lambda: self.fill("output-7") == RED and self.fill("input-7") == RED)
        self.assertEqual(server.state()["outputs"]["outputs"][7], 1)
        self.assertEqual(self.fill("output-6"), WHITE)
        if SCREENSHOT:
            self.browser.find_element(By.TAG_NAME, "body").screenshot(SCREENSHOT)
        # SIGTERM ends the server; the output stays on for the next run.
        self.assertEqual(server.stop(), 0)
        readback = subprocess.run([KESTAN_IO, "--simulator", "--json", "--base", "0x2A8", "readback"],
                                  capture_output=True, text=True, env=server.env, timeout=10)
        self.assertEqual(json.loads(readback.stdout)["outputs"][7], 1, readback.stderr)

    def test_read_only_a_click_changes_nothing_and_the_api_answers_403(self):
        server = self.serve("kestan", "0x2A8")
        self.open_page(server)
        self.assertIn("Read-only", self.browser.find_element(By.ID, "mode").text)
        self.click("output-7")
        time.sleep(0.2)
        self.assertEqual(self.fill("output-7"), WHITE)
        status, answer = server.write({"lines": [{"line": 7, "output": 1}]})
        self.assertEqual(status, 403, answer)
        self.assertEqual(server.state()["outputs"]["outputs"][7], 0)

    def test_a_write_from_another_site_or_a_rebound_name_is_refused_and_changes_nothing(self):
        server = self.serve("kestan", "0x2A8", "--allow-writes")
        site = OtherSite()
        self.addCleanup(site.close)
        self.browser.get(site.url)
        # A form-like request that needs no preflight: only the Origin check stands in its way.
        sent = self.browser.execute_async_script("""
            const done = arguments[arguments.length - 1];
            fetch(arguments[0] + "/api/lines", {method: "POST", mode: "no-cors",
                  headers: {"Content-Type": "text/plain"},
                  body: JSON.stringify({lines: [{line: 7, output: 1}]})})
              .then(() => done("sent"), (e) => done(String(e)));""", server.origin)
        self.assertEqual(sent, "sent")
        rebound = "attacker.example:%d" % server.port
        status, _ = server.write({"lines": [{"line": 7, "output": 1}]}, origin="http://" + rebound, host=rebound)
        self.assertEqual(status, 403)
        status, _ = server.write({"lines": [{"line": 7, "output": 1}]}, origin=site.url.rstrip("/"))
        self.assertEqual(status, 403)
        self.assertEqual(server.state()["outputs"]["outputs"][7], 0)


class FenmarPage(BrowserCase):
    def test_a_click_on_port_a_o_box_turns_its_frame_dark_green(self):
        server = self.serve("fenmar", "0x220", "--allow-writes")
        self.open_page(server)
        self.assertEqual(self.fill("frame-0A"), GREEN)
        self.click("box-0A-out")
        self.wait_for(lambda: self.fill("frame-0A") == DARK_GREEN)
        self.assertEqual(server.state()["groups"][0]["direction"], "out")
        self.assertEqual(self.fill("frame-0B"), GREEN)


class WithModbus(unittest.TestCase):
    def test_modbus_and_the_page_share_one_card_in_one_process(self):
        from pymodbus.client import ModbusTcpClient
        server = Server("kestan", "0x2A8", "--modbus", "0", "--allow-writes")
        self.addCleanup(server.close)
        port = int(re.search(r"listening on 127\.0\.0\.1:(\d+), unit id", server.text()).group(1))
        client = ModbusTcpClient("127.0.0.1", port=port, timeout=3)
        self.assertTrue(client.connect())
        self.addCleanup(client.close)
        self.assertFalse(client.write_coil(3, True, slave=1).isError())
        self.assertEqual(server.state()["outputs"]["outputs"][3], 1)
        status, _ = server.write({"lines": [{"line": 4, "output": 1}]})
        self.assertEqual(status, 200)
        self.assertEqual(client.read_coils(3, 2, slave=1).bits[:2], [True, True])
        self.assertEqual(server.stop(), 0)


class BadRequests(unittest.TestCase):
    """Each gets a clean 4xx, switches nothing, and the server goes on."""

    def raw(self, server, data):
        answer = b""
        with socket.create_connection(("127.0.0.1", server.port), timeout=5) as s:
            try:  # the server may answer and close before it has read everything
                s.sendall(data)
                s.shutdown(socket.SHUT_WR)
            except OSError:
                pass
            try:
                while chunk := s.recv(65536):
                    answer += chunk
            except ConnectionResetError:
                pass
        found = re.match(rb"HTTP/1\.[01] (\d{3})", answer)
        return int(found.group(1)) if found else None

    def test_bad_requests_get_a_4xx_and_switch_nothing(self):
        server = Server("fenmar", "0x220", "--allow-writes")
        self.addCleanup(server.close)
        host = "127.0.0.1:%d" % server.port
        post = "POST /api/lines HTTP/1.1\r\nHost: %s\r\nOrigin: http://%s\r\nContent-Type: application/json\r\n" % (host, host)
        raw_cases = [
            ("malformed request line", b"GARBAGE\r\n\r\n"),
            ("oversized headers", ("GET / HTTP/1.1\r\nHost: %s\r\nX-Big: %s\r\n\r\n" % (host, "a" * 20000)).encode()),
            ("oversized body", (post + "Content-Length: 100000\r\n\r\n" + "[" * 5000).encode()),
            ("no Host", b"GET /api/state HTTP/1.1\r\n\r\n"),
        ]
        for name, data in raw_cases:
            with self.subTest(name):
                status = self.raw(server, data)
                self.assertTrue(status and 400 <= status < 500, status)
        json_cases = [
            ("unknown path", "GET", "/api/nothing", None, 404),
            ("unknown page", "GET", "/etc/passwd", None, 404),
            ("wrong method", "DELETE", "/api/state", None, 405),
            ("bad JSON", "POST", "/api/lines", "{lines: [", 400),
            ("no such line", "POST", "/api/lines", '{"lines":[{"line":24,"output":1}]}', 404),
            ("line of an input group", "POST", "/api/lines", '{"lines":[{"line":0,"output":1}]}', 409),
            ("a value not 0 or 1", "POST", "/api/lines", '{"lines":[{"line":0,"output":2}]}', 400),
            ("no such group", "POST", "/api/direction", '{"group":"1A","direction":"out"}', 404),
            ("no such direction", "POST", "/api/direction", '{"group":"0A","direction":"sideways"}', 400),
        ]
        headers = {"Content-Type": "application/json", "Origin": server.origin}
        for name, method, path, body, expected in json_cases:
            with self.subTest(name):
                status, answer = server.request(method, path, body, headers)
                self.assertEqual(status, expected, answer)
                self.assertEqual(answer["error"]["status"], expected)
        state = server.state()
        self.assertEqual([g["direction"] for g in state["groups"]], ["in"] * 4)
        self.assertEqual(state["outputs"]["ports"], [0, 0, 0])


class Limits(unittest.TestCase):
    def test_one_page_more_than_max_pages_gets_503_and_the_api_still_answers(self):
        server = Server("kestan", "0x2A8", "--max-pages", "2")
        self.addCleanup(server.close)
        streams = []
        for _ in range(3):
            connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=5)
            connection.request("GET", "/api/events")
            streams.append(connection.getresponse())
            self.addCleanup(connection.close)
        self.assertEqual([s.status for s in streams], [200, 200, 503])
        self.assertTrue(streams[0].readline().startswith(b"data: {"))
        self.assertEqual(server.state()["card"]["kind"], "kestan")


if __name__ == "__main__":
    KESTAN_IO, KESTAN_SIM = sys.argv[1], sys.argv[2]
    SCREENSHOT = sys.argv[3] if len(sys.argv) > 3 else None
    unittest.main(argv=sys.argv[:1], verbosity=2)
