"""kestan-io serve on the simulated PC against Modbus clients nobody here
wrote: mbpoll and pymodbus, as a person would use them.

    /usr/bin/python3 clients_test.py KESTAN_IO
"""
import os
import signal
import socket
import subprocess
import sys
import time
import unittest

from pymodbus.client import ModbusTcpClient

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from serve_process import ServeProcess  # noqa: E402

KESTAN_IO = None
ILLEGAL_FUNCTION, ILLEGAL_DATA_ADDRESS, ILLEGAL_DATA_VALUE, GATEWAY_TARGET = 1, 2, 3, 11


class Server(ServeProcess):
    """kestan-io serving one card of the simulated PC on a port of its own."""

    def __init__(self, kind, base, *serve_words, under_nohup=False):
        ignore_hangup = (lambda: signal.signal(signal.SIGHUP, signal.SIG_IGN)) if under_nohup else None
        super().__init__(KESTAN_IO, kind, base, ["--modbus", "0", *serve_words], preexec_fn=ignore_hangup)

    def raw(self, source="127.0.0.1"):
        """A bare connection from source (any 127.x address reaches the server)."""
        return socket.create_connection(("127.0.0.1", self.port), timeout=3, source_address=(source, 0))

    def client(self):
        client = ModbusTcpClient("127.0.0.1", port=self.port, timeout=3)
        assert client.connect()
        return client

    def mbpoll(self, *words):
        """mbpoll once, PDU addresses from 0; its exit status and output."""
        run = subprocess.run(["mbpoll", "-m", "tcp", "-p", str(self.port), "-0", "-1", "-q", *words],
                             capture_output=True, text=True, timeout=20)
        return run.returncode, run.stdout + run.stderr


READ_COILS = bytes([0, 9, 0, 0, 0, 6, 1, 1, 0, 0, 0, 8])


def answered(connection):
    """True when a read of coils 0 to 7 on connection gets its reply."""
    try:
        connection.sendall(READ_COILS)
        return connection.recv(64)[:2] == READ_COILS[:2]
    except OSError:
        return False


def closed_by_server(connection):
    try:
        return connection.recv(64) == b""
    except ConnectionResetError:
        return True


class ServerCase(unittest.TestCase):
    def serve(self, kind, base, *serve_words, under_nohup=False):
        server = Server(kind, base, *serve_words, under_nohup=under_nohup)
        self.addCleanup(server.close)
        return server


class KestanCard(ServerCase):
    def test_an_output_switched_by_each_client_shows_on_its_loopback_input(self):
        server = self.serve("kestan", "0x2A8", "--allow-writes")
        client = server.client()
        self.assertFalse(client.write_registers(0, [0, 0], slave=1).isError())
        status, out = server.mbpoll("-t", "0", "-r", "5", "127.0.0.1", "1")
        self.assertEqual(0, status, out)
        status, out = server.mbpoll("-t", "1", "-r", "5", "127.0.0.1")
        self.assertEqual(0, status, out)
        self.assertRegex(out, r"\[5\]:\s+1")
        self.assertFalse(client.write_coil(31, True, slave=1).isError())
        self.assertFalse(client.write_coil(5, False, slave=1).isError())
        bits = client.read_discrete_inputs(0, 32, slave=1).bits
        self.assertEqual([n == 31 for n in range(32)], bits[:32])
        self.assertEqual([0, 0x8000], client.read_holding_registers(0, 2, slave=1).registers)
        self.assertEqual([0, 0x8000], client.read_input_registers(0, 2, slave=1).registers)
        self.assertFalse(client.write_register(0, 0x1234, slave=1).isError())
        self.assertEqual(0x1234, client.read_input_registers(0, 1, slave=1).registers[0])
        # Counters 0 to 2 follow the two input words; nothing lies beyond.
        self.assertFalse(client.read_input_registers(2, 3, slave=1).isError())
        self.assertEqual(ILLEGAL_DATA_ADDRESS, client.read_input_registers(4, 2, slave=1).exception_code)
        client.close()
        self.assertEqual(0, server.stop())
        log = server.text()
        self.assertEqual(log.count(" connected ("), log.count(" disconnected: "))
        self.assertIn("stopped by SIGTERM", log)

    def test_read_only_unless_allowed_and_unit_1_only(self):
        server = self.serve("kestan", "0x2A8")
        client = server.client()
        before = client.read_coils(7, 1, slave=1).bits[0]
        self.assertEqual(ILLEGAL_FUNCTION, client.write_coil(7, not before, slave=1).exception_code)
        status, out = server.mbpoll("-t", "4", "-r", "0", "127.0.0.1", "255")
        self.assertNotEqual(0, status)
        self.assertIn("Illegal function", out)
        self.assertEqual(before, client.read_coils(7, 1, slave=1).bits[0])
        self.assertEqual(GATEWAY_TARGET, client.read_coils(0, 1, slave=2).exception_code)
        # Another run on the served card is turned away, not left hanging or
        # let loose on the outputs the server keeps.
        other = subprocess.run([KESTAN_IO, "--simulator", "--base", "0x2A8", "write", "7", str(int(not before))],
                               capture_output=True, text=True, timeout=10,
                               env=dict(os.environ, KESTAN_IO_STATE_DIR=server.state_dir.name))
        self.assertEqual(8, other.returncode, other.stderr)
        self.assertIn("is in use", other.stderr)
        self.assertEqual(before, client.read_coils(7, 1, slave=1).bits[0])
        client.close()
        self.assertEqual(2, server.text().count("refused: the server is read-only"))


class RefusedWrites(ServerCase):
    # (writes allowed, frame after the unit id, exception, what the log line says)
    ROWS = [
        (True, [5, 0, 40, 0xFF, 0], ILLEGAL_DATA_ADDRESS, "write of 1 coil from 40 refused: beyond the card's table (32 coils)"),
        (True, [5, 0, 1, 0x12, 0x34], ILLEGAL_DATA_VALUE, "write of 1 coil from 1 refused: a coil value other than FF00H"),
        (True, [15, 0, 1, 0, 0, 0], ILLEGAL_DATA_VALUE, "write of coils (function 15) refused: a quantity of 0"),
        (False, [5, 0, 40, 0xFF, 0], ILLEGAL_FUNCTION, "write of 1 coil from 40 refused: the server is read-only"),
        (False, [5, 0, 1, 0x12, 0x34], ILLEGAL_FUNCTION, "write of 1 coil from 1 refused: the server is read-only"),
        (False, [16, 0, 0, 0, 1, 2], ILLEGAL_FUNCTION, "write of 1 holding register from 0 refused: the server is read-only"),
        (False, [15, 0, 1, 0, 0, 0], ILLEGAL_FUNCTION, "write of coils (function 15) refused: the server is read-only"),
    ]

    def test_every_refused_write_is_logged_and_read_only_answers_each_with_01(self):
        servers = {True: self.serve("kestan", "0x2A8", "--allow-writes"), False: self.serve("kestan", "0x2A8")}
        connections = {allow: server.raw() for allow, server in servers.items()}
        for number, (allow, body, exception, line) in enumerate(self.ROWS):
            with self.subTest(allow_writes=allow, body=body):
                frame = bytes([0, number, 0, 0, 0, len(body) + 1, 1] + body)
                connections[allow].sendall(frame)
                self.assertEqual(bytes([0, number, 0, 0, 0, 3, 1, body[0] | 0x80, exception]),
                                 connections[allow].recv(64))
                self.assertIn(line, servers[allow].text())
        for connection in connections.values():
            connection.close()
        logged = sum(server.text().count(" refused: ") for server in servers.values())
        self.assertEqual(len(self.ROWS), logged)


class FenmarCard(ServerCase):
    def test_a_write_to_an_input_group_is_refused_until_the_group_is_an_output(self):
        server = self.serve("fenmar", "0x220", "--allow-writes")
        client = server.client()
        self.assertEqual(ILLEGAL_DATA_ADDRESS, client.write_coil(1, True, slave=1).exception_code)
        status, out = server.mbpoll("-t", "0", "-r", "1", "127.0.0.1", "1")
        self.assertNotEqual(0, status)
        self.assertIn("Illegal data address", out)
        # Holding registers 2 to 5: directions of A, B, C upper, C lower.
        self.assertEqual([0, 0, 0, 0], client.read_holding_registers(2, 4, slave=1).registers)
        status, out = server.mbpoll("-t", "4", "-r", "2", "127.0.0.1", "1")
        self.assertEqual(0, status, out)
        self.assertFalse(client.write_coil(1, True, slave=1).isError())
        # Port A is cabled to Port C: line 1 comes back on line 17.
        self.assertEqual(1, client.read_discrete_inputs(17, 1, slave=1).bits[0])
        self.assertEqual(0x0002, client.read_holding_registers(0, 1, slave=1).registers[0])
        # Port B is still input: a word that sets its lines is refused whole.
        self.assertEqual(ILLEGAL_DATA_ADDRESS, client.write_register(0, 0x0104, slave=1).exception_code)
        self.assertEqual(0x0002, client.read_holding_registers(0, 1, slave=1).registers[0])
        client.close()
        self.assertEqual(3, server.text().count("is an input"))


class WendalCard(ServerCase):
    def test_its_counters_follow_the_three_input_words(self):
        server = self.serve("wendal", "0x240")
        client = server.client()
        self.assertEqual(3, len(client.read_input_registers(3, 3, slave=1).registers))
        self.assertEqual(ILLEGAL_DATA_ADDRESS, client.read_input_registers(5, 2, slave=1).exception_code)
        client.close()


class Connections(ServerCase):
    def test_clients_beyond_the_limit_are_turned_away_and_idle_ones_dropped(self):
        server = self.serve("pellin", "0x210", "--max-clients", "2", "--idle-timeout", "1")
        first, second = server.client(), server.client()
        self.assertFalse(first.read_coils(0, 8, slave=1).isError())
        self.assertFalse(second.read_coils(0, 8, slave=1).isError())
        # Both asked something within the second: neither makes way.
        extra = socket.create_connection(("127.0.0.1", server.port), timeout=3)
        self.assertEqual(b"", extra.recv(16))
        extra.close()
        time.sleep(1.6)
        third = server.client()
        self.assertFalse(third.read_discrete_inputs(0, 8, slave=1).isError())
        third.close()
        self.assertIn("refused: already 2 clients", server.text())
        self.assertEqual(2, server.text().count("disconnected: idle for 1 s"))
        first.close()
        second.close()
        self.assertEqual(0, server.stop())

    def test_a_client_that_trickles_bytes_loses_its_slot_after_the_idle_timeout(self):
        server = self.serve("pellin", "0x210", "--max-clients", "1", "--idle-timeout", "1")
        trickler = server.raw()
        trickler.setblocking(False)
        closed = False
        for byte in READ_COILS[:-1]:  # a byte every 0.3 s, the request never whole
            time.sleep(0.3)
            try:
                trickler.send(bytes([byte]))
                closed = trickler.recv(16) == b""
            except BlockingIOError:
                continue
            except OSError:
                closed = True
            if closed:
                break
        self.assertTrue(closed, "still served after 11 bytes in 3.3 s")
        trickler.close()
        good = server.raw()
        self.assertTrue(answered(good))
        good.close()
        self.assertIn("disconnected: idle for 1 s", server.text())

    def test_when_no_slot_is_free_the_longest_idle_client_makes_way(self):
        server = self.serve("pellin", "0x210", "--max-clients", "2", "--max-per-peer", "2")
        silent, busy = server.raw(), server.raw()
        self.assertTrue(answered(busy))
        time.sleep(1.2)
        self.assertTrue(answered(busy))
        newcomer = server.raw()
        self.assertTrue(answered(newcomer))
        self.assertTrue(closed_by_server(silent))
        self.assertTrue(answered(busy))
        # The two left asked something within the second: the next one is turned away.
        late = server.raw()
        self.assertTrue(closed_by_server(late))
        for connection in (silent, busy, newcomer, late):
            connection.close()
        self.assertEqual(1, server.text().count("disconnected: made way for a newer client from its address"))
        self.assertIn("refused: already 2 clients from 127.0.0.1, none may make way", server.text())

    def test_one_address_holds_at_most_its_share_and_others_still_get_in(self):
        server = self.serve("pellin", "0x210", "--max-clients", "4", "--max-per-peer", "2")
        held = [server.raw(), server.raw()]
        self.assertTrue(all(answered(connection) for connection in held))
        third = server.raw()
        self.assertTrue(closed_by_server(third))
        other = server.raw("127.0.0.2")
        self.assertTrue(answered(other))
        self.assertTrue(all(answered(connection) for connection in held))
        for connection in held + [third, other]:
            connection.close()
        self.assertIn("127.0.0.2", server.text())
        self.assertIn("at most 4 clients (2 per address)", server.text())

    def test_sighup_stops_it_as_sigterm_does_unless_started_under_nohup(self):
        server = self.serve("pellin", "0x210")
        self.assertEqual(0, server.stop(signal.SIGHUP))
        self.assertIn("stopped by SIGHUP; the outputs stay as they are", server.text())
        kept = self.serve("pellin", "0x218", under_nohup=True)
        kept.process.send_signal(signal.SIGHUP)
        connection = kept.raw()
        self.assertTrue(answered(connection))
        connection.close()
        self.assertIsNone(kept.process.poll())
        self.assertEqual(0, kept.stop())

    def test_client_lines_past_the_budget_are_counted_in_one_line(self):
        server = self.serve("pellin", "0x210")
        for _ in range(40):
            connection = server.raw()
            self.assertTrue(answered(connection))
            connection.close()
        last = server.raw()
        self.assertTrue(answered(last))
        self.assertEqual(0, server.stop())
        last.close()
        log = server.text()
        client_lines = log.count(" connected (") + log.count(" disconnected: ")
        self.assertEqual(50, client_lines)
        self.assertIn("modbus: 31 client lines left out (more than 50 in 10 s)", log)

    def test_a_malformed_frame_gets_an_exception_and_one_that_cannot_be_framed_its_connection_closed(self):
        server = self.serve("kestan", "0x2A8")
        raw = socket.create_connection(("127.0.0.1", server.port), timeout=3)
        # Read coils whose body lacks its quantity (the header agrees with the short body).
        raw.sendall(bytes([0, 7, 0, 0, 0, 4, 1, 1, 0, 0]))
        self.assertEqual(bytes([0, 7, 0, 0, 0, 3, 1, 0x81, ILLEGAL_DATA_VALUE]), raw.recv(64))
        raw.sendall(bytes([0, 8, 0, 0, 0x01, 0x00, 1, 1, 0, 0, 0, 1]))  # a length of 256
        self.assertEqual(b"", raw.recv(64))
        raw.close()
        client = server.client()
        self.assertFalse(client.read_coils(0, 32, slave=1).isError())
        client.close()
        self.assertIn("disconnected: not a Modbus/TCP frame", server.text())


if __name__ == "__main__":
    KESTAN_IO = sys.argv.pop(1)
    unittest.main(verbosity=2)
