"""A card of any kind: lines, ports, 8255 groups, counters."""

import ctypes
import operator

from ._native import IN_USE, NO_LAYER, NO_RIGHTS, NO_STATE, CardError, CardInUseError, KestanError, PortRightsError, native, opened, use_simulator

KINDS = ("kestan", "orvel", "sarrow", "pellin", "fenmar", "wendal", "dulvar")
_GROUP_NAMES = ("A", "B", "CH", "CL")

# The limits kestan-io checks before it calls the library; a C int cuts
# anything wider to its low bits, so nothing wider may reach it.
_INT_MAX = 2**31 - 1
_BYTE_MAX = 0xFF
_COUNT_MAX = 0xFFFF
_MODE_MAX = 5
_PORT_SPACE_MAX = 0xFFFF

# The card slots of each kind that this process's open cards hold, as
# {kind: {number: [base, open cards]}}: the library keeps one table per
# kind, and two cards at different bases must not share a slot.
_slots = {}


def _whole(name, value, low, high):
    """value as an int within low..high, else ValueError naming the limit."""
    value = operator.index(value)
    if not low <= value <= high:
        raise ValueError(f"{name} {value}: from {low} to {high}")
    return value


def _free_slot(kind, base):
    """The slot an open card at base holds already, else the first free one."""
    taken = _slots.get(kind, {})
    for number, (held, _) in sorted(taken.items()):
        if held == base:
            return number
    number = 0
    while number in taken:
        number += 1
    return number


def _take_slot(kind, number, base):
    held = _slots.setdefault(kind, {}).setdefault(number, [base, 0])
    held[1] += 1


def _give_slot(kind, number):
    held = _slots[kind][number]
    held[1] -= 1
    if held[1] == 0:
        del _slots[kind][number]


class Card:
    """One card, opened in its library at its base address.

    kind: one of KINDS. base: the address set on the card's switches.
    number: the card number in the library's table (None: the first one
    no other open card of the kind holds). irq: the interrupt
    level of the 8255 cards. simulator: True for the simulated PC, False for
    the real ports, None to leave the choice to KESTAN_IOPORT.

    Lines: input and output line n of a lamp card is bit n % 8 of port n // 8;
    on the 8255 cards line 24c + 8p + b is bit b of port p (A, B, C) of
    channel c. Groups (8255 cards): "A", "B", "CH", "CL" of channel 0, or
    with the channel before: "1A".
    """

    _handle = None  # until the library has opened the card

    def __init__(self, kind="kestan", base=0x2A8, number=None, irq=5, simulator=None):
        if kind not in KINDS:
            raise KestanError(f"no card kind {kind!r}: one of {', '.join(KINDS)}")
        base = _whole("base", base, 0, _PORT_SPACE_MAX)
        number = _free_slot(kind, base) if number is None else _whole("card number", number, 0, _INT_MAX)
        irq = _whole("irq", irq, 0, _INT_MAX)
        held = _slots.get(kind, {}).get(number)
        if held is not None and held[0] != base:
            raise KestanError(f"{kind} card {number} is open at base 0x{held[0]:X}: give this card another number")
        if simulator is not None:
            use_simulator(simulator)
        self.kind = kind
        self.base = base
        self.number = number
        self._lib = native()
        handle = ctypes.c_void_p()
        code = self._lib.kit_card_open(kind.encode(), number, base, irq, ctypes.byref(handle))
        opened()
        if code in (NO_RIGHTS, NO_LAYER):
            raise PortRightsError(code, self._lib.kit_card_reason().decode())
        if code == IN_USE:
            raise CardInUseError(self._lib.kit_card_reason().decode())
        if code == NO_STATE:
            self._handle = None
            raise KestanError(self._lib.kit_card_reason().decode())
        if code != 0:
            self._raise(code, f"{kind} card {number} at base 0x{base:X}", call=f"W_{kind.capitalize()}_Initial")
        self._handle = handle
        _take_slot(kind, number, base)
        self.lines = self._lib.kit_card_lines(handle)
        self.ports = self._lib.kit_card_ports(handle)
        self.counters = self._lib.kit_card_counters(handle)

    # -- life -------------------------------------------------------------------

    def close(self):
        if self._handle:
            self._lib.kit_card_close(self._handle)
            self._handle = None
            _give_slot(self.kind, self.number)

    def _open(self):
        """The library's handle; a closed card raises, as a closed file does."""
        if not self._handle:
            raise ValueError(f"{self!r} is closed")
        return self._handle

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

    def _line(self, line):
        return _whole("line", line, 0, self.lines - 1)

    def _port(self, port):
        return _whole("port", port, 0, self.ports - 1)

    def read(self, line):
        """Input line's value, 0 or 1."""
        handle, line = self._open(), self._line(line)
        value = ctypes.c_int()
        self._check(self._lib.kit_card_read_line(handle, line, ctypes.byref(value)), f"read {line}")
        return value.value

    def write(self, line, value):
        """Switch output line off (0) or on (1)."""
        handle, line, value = self._open(), self._line(line), _whole("value of a line", value, 0, 1)
        self._check(self._lib.kit_card_write_line(handle, line, value), f"write {line} {value}")

    def read_port(self, port):
        handle, port = self._open(), self._port(port)
        value = ctypes.c_uint()
        self._check(self._lib.kit_card_read_port(handle, port, ctypes.byref(value)), f"read-port {port}")
        return value.value

    def write_port(self, port, value):
        handle, port, value = self._open(), self._port(port), _whole("byte", value, 0, _BYTE_MAX)
        self._check(self._lib.kit_card_write_port(handle, port, value), f"write-port {port} {value}")

    def read_back(self, port):
        """What output port drives (as last written)."""
        handle, port = self._open(), self._port(port)
        value = ctypes.c_uint()
        self._check(self._lib.kit_card_read_back(handle, port, ctypes.byref(value)), f"readback {port}")
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
        handle = self._open()
        if direction not in ("in", "out"):
            raise KestanError(f"direction {direction!r}: 'in' or 'out'")
        index = self._group(group)
        self._check(self._lib.kit_card_set_direction(handle, index, direction == "out"), f"dir {group} {direction}")

    def direction(self, group):
        return "out" if self._lib.kit_card_direction(self._open(), self._group(group)) else "in"

    # -- counters -------------------------------------------------------------------

    def _counter(self, counter):
        # A card without counters: the layer's own refusal (No_Such_Counter) says so.
        return _whole("counter", counter, 0, self.counters - 1) if self.counters else operator.index(counter)

    def counter_start(self, counter, mode, count):
        handle, counter = self._open(), self._counter(counter)
        mode, count = _whole("mode", mode, 0, _MODE_MAX), _whole("count", count, 0, _COUNT_MAX)
        self._check(self._lib.kit_card_counter_start(handle, counter, mode, count),
                    f"counter start {counter} {mode} {count}")

    def counter_read(self, counter):
        handle, counter = self._open(), self._counter(counter)
        count = ctypes.c_uint()
        self._check(self._lib.kit_card_counter_read(handle, counter, ctypes.byref(count)), f"counter read {counter}")
        return count.value

    def counter_stop(self, counter):
        handle, counter = self._open(), self._counter(counter)
        count = ctypes.c_uint()
        self._check(self._lib.kit_card_counter_stop(handle, counter, ctypes.byref(count)), f"counter stop {counter}")
        return count.value

    def clock_start(self, divisor1, divisor2):
        handle = self._open()
        divisor1, divisor2 = _whole("divisor", divisor1, 1, _INT_MAX), _whole("divisor", divisor2, 1, _INT_MAX)
        self._check(self._lib.kit_card_clock_start(handle, divisor1, divisor2), f"clock start {divisor1} {divisor2}")

    def clock_stop(self):
        self._check(self._lib.kit_card_clock_stop(self._open()), "clock stop")

    def __repr__(self):
        return f"Card({self.kind!r}, 0x{self.base:X})"
