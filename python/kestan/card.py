"""A card of any kind: lines, ports, 8255 groups, counters."""

import ctypes

from ._native import IN_USE, NO_LAYER, NO_RIGHTS, NO_STATE, CardError, CardInUseError, KestanError, PortRightsError, native, opened, use_simulator

KINDS = ("kestan", "orvel", "sarrow", "pellin", "fenmar", "wendal", "dulvar")
_GROUP_NAMES = ("A", "B", "CH", "CL")


class Card:
    """One card, opened in its library at its base address.

    kind: one of KINDS. base: the address set on the card's switches.
    number: the card number in the library's table. irq: the interrupt
    level of the 8255 cards. simulator: True for the simulated PC, False for
    the real ports, None to leave the choice to KESTAN_IOPORT.

    Lines: input and output line n of a lamp card is bit n % 8 of port n // 8;
    on the 8255 cards line 24c + 8p + b is bit b of port p (A, B, C) of
    channel c. Groups (8255 cards): "A", "B", "CH", "CL" of channel 0, or
    with the channel before: "1A".
    """

    def __init__(self, kind="kestan", base=0x2A8, number=0, irq=5, simulator=None):
        if kind not in KINDS:
            raise KestanError(f"no card kind {kind!r}: one of {', '.join(KINDS)}")
        if simulator is not None:
            use_simulator(simulator)
        self.kind = kind
        self.base = base
        self._lib = native()
        self._handle = ctypes.c_void_p()
        code = self._lib.kit_card_open(kind.encode(), number, base, irq, ctypes.byref(self._handle))
        opened()
        if code in (NO_RIGHTS, NO_LAYER):
            raise PortRightsError(code, self._lib.kit_card_reason().decode())
        if code == IN_USE:
            self._handle = None
            raise CardInUseError(self._lib.kit_card_reason().decode())
        if code == NO_STATE:
            self._handle = None
            raise KestanError(self._lib.kit_card_reason().decode())
        if code != 0:
            self._handle = None
            self._raise(code, f"{kind} card {number} at base 0x{base:X}", call=f"W_{kind.capitalize()}_Initial")
        self.lines = self._lib.kit_card_lines(self._handle)
        self.ports = self._lib.kit_card_ports(self._handle)

    # -- life -------------------------------------------------------------------

    def close(self):
        if self._handle:
            self._lib.kit_card_close(self._handle)
            self._handle = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def __del__(self):
        self.close()

    def _raise(self, code, what, call=None):
        if code == IN_USE:
            raise CardInUseError(f"{what}: the card at {self.base:03X}H is in use by another program")
        if code == NO_STATE:
            raise KestanError(f"{what}: {self._lib.kit_card_reason().decode()}")
        name = self._lib.kit_code_name(self.kind.encode(), code).decode()
        if call is None:
            call = self._lib.kit_card_call(self._handle).decode()
        raise CardError(code, name, call, what)

    def _check(self, code, what):
        if code != 0:
            self._raise(code, what)

    # -- lines and ports ----------------------------------------------------------

    def read(self, line):
        """Input line's value, 0 or 1."""
        value = ctypes.c_int()
        self._check(self._lib.kit_card_read_line(self._handle, line, ctypes.byref(value)), f"read {line}")
        return value.value

    def write(self, line, value):
        """Switch output line off (0) or on (1)."""
        self._check(self._lib.kit_card_write_line(self._handle, line, value), f"write {line} {value}")

    def read_port(self, port):
        value = ctypes.c_uint()
        self._check(self._lib.kit_card_read_port(self._handle, port, ctypes.byref(value)), f"read-port {port}")
        return value.value

    def write_port(self, port, value):
        self._check(self._lib.kit_card_write_port(self._handle, port, value), f"write-port {port} {value}")

    def read_back(self, port):
        """What output port drives (as last written)."""
        value = ctypes.c_uint()
        self._check(self._lib.kit_card_read_back(self._handle, port, ctypes.byref(value)), f"readback {port}")
        return value.value

    def inputs(self):
        """Every input line, line 0 first."""
        values = []
        for port in range(self.ports):
            byte = self.read_port(port)
            values.extend((byte >> bit) & 1 for bit in range(8))
        return values[: self.lines]

    # -- 8255 groups --------------------------------------------------------------

    def _group(self, name):
        channel, letters = (int(name[0]), name[1:]) if name[:1].isdigit() else (0, name)
        if letters.upper() not in _GROUP_NAMES:
            raise KestanError(f"no group {name!r}: A, B, CH, CL, with the channel before (1A)")
        return channel * 4 + _GROUP_NAMES.index(letters.upper())

    def set_direction(self, group, direction):
        """Make group ("A", "1CH", ...) "in" or "out"."""
        if direction not in ("in", "out"):
            raise KestanError(f"direction {direction!r}: 'in' or 'out'")
        index = self._group(group)
        self._check(self._lib.kit_card_set_direction(self._handle, index, direction == "out"),
                    f"dir {group} {direction}")

    def direction(self, group):
        return "out" if self._lib.kit_card_direction(self._handle, self._group(group)) else "in"

    # -- counters -------------------------------------------------------------------

    def counter_start(self, counter, mode, count):
        self._check(self._lib.kit_card_counter_start(self._handle, counter, mode, count),
                    f"counter start {counter} {mode} {count}")

    def counter_read(self, counter):
        count = ctypes.c_uint()
        self._check(self._lib.kit_card_counter_read(self._handle, counter, ctypes.byref(count)),
                    f"counter read {counter}")
        return count.value

    def counter_stop(self, counter):
        count = ctypes.c_uint()
        self._check(self._lib.kit_card_counter_stop(self._handle, counter, ctypes.byref(count)),
                    f"counter stop {counter}")
        return count.value

    def clock_start(self, divisor1, divisor2):
        self._check(self._lib.kit_card_clock_start(self._handle, divisor1, divisor2),
                    f"clock start {divisor1} {divisor2}")

    def clock_stop(self):
        self._check(self._lib.kit_card_clock_stop(self._handle), "clock stop")

    def __repr__(self):
        return f"Card({self.kind!r}, 0x{self.base:X})"
