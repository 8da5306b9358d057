"""Loading libkestancards.so and the exceptions its codes become."""

import ctypes
import os

# Installed as <prefix>/lib/python3/dist-packages/kestan: the libraries are in
# <prefix>/lib. KESTAN_LIB_DIR names another folder (a build tree).
_HERE = os.path.dirname(os.path.abspath(__file__))
_LIB_DIR = os.environ.get("KESTAN_LIB_DIR") or os.path.normpath(os.path.join(_HERE, "..", "..", ".."))

NO_RIGHTS = -101
NO_LAYER = -102
IN_USE = -103
NO_STATE = -104  # the card's record cannot be kept (its folder is not the user's own)


class KestanError(Exception):
    """Something between this process and the card failed."""


class CardError(KestanError):
    """A card library refused a call: code, name (as its header spells it), call."""

    def __init__(self, code, name, call, what):
        self.code = code
        self.name = name
        self.call = call
        super().__init__(f"{what}: {call + ': ' if call else ''}{name} ({code})")


class PortRightsError(KestanError):
    """The process may not use the card's ports (or the port layer is missing)."""

    def __init__(self, code, reason):
        self.code = code
        self.reason = reason
        super().__init__(reason)


class CardInUseError(KestanError):
    """Another program (such as a kestan-io serve) holds the card's state file."""

    def __init__(self, reason):
        self.reason = reason
        super().__init__(reason)


_lib = None
_chosen = None  # the layer the first card of the process was opened on


def native():
    """The C interface of the card-access layer, loaded on first use."""
    global _lib
    if _lib is None:
        path = os.path.join(_LIB_DIR, "libkestancards.so")
        try:
            lib = ctypes.CDLL(path)
        except OSError as e:
            raise KestanError(f"cannot load {path}: {e}") from None
        c_int, c_uint, ptr = ctypes.c_int, ctypes.c_uint, ctypes.POINTER
        handle = ctypes.c_void_p
        signatures = {
            "kit_card_open": (c_int, [ctypes.c_char_p, c_int, c_int, c_int, ptr(handle)]),
            "kit_card_close": (None, [handle]),
            "kit_card_reason": (ctypes.c_char_p, []),
            "kit_card_layer": (ctypes.c_char_p, []),
            "kit_card_read_line": (c_int, [handle, c_int, ptr(c_int)]),
            "kit_card_write_line": (c_int, [handle, c_int, c_int]),
            "kit_card_read_port": (c_int, [handle, c_int, ptr(c_uint)]),
            "kit_card_write_port": (c_int, [handle, c_int, c_uint]),
            "kit_card_read_back": (c_int, [handle, c_int, ptr(c_uint)]),
            "kit_card_set_direction": (c_int, [handle, c_int, c_int]),
            "kit_card_direction": (c_int, [handle, c_int]),
            "kit_card_counter_start": (c_int, [handle, c_int, c_int, c_uint]),
            "kit_card_counter_read": (c_int, [handle, c_int, ptr(c_uint)]),
            "kit_card_counter_stop": (c_int, [handle, c_int, ptr(c_uint)]),
            "kit_card_clock_start": (c_int, [handle, c_int, c_int]),
            "kit_card_clock_stop": (c_int, [handle]),
            "kit_card_lines": (c_int, [handle]),
            "kit_card_ports": (c_int, [handle]),
            "kit_card_groups": (c_int, [handle]),
            "kit_card_counters": (c_int, [handle]),
            "kit_code_name": (ctypes.c_char_p, [ctypes.c_char_p, c_int]),
            "kit_card_call": (ctypes.c_char_p, [handle]),
        }
        for name, (restype, argtypes) in signatures.items():
            fn = getattr(lib, name)
            fn.restype = restype
            fn.argtypes = argtypes
        _lib = lib
    return _lib


def use_simulator(on=True):
    """Choose the simulated PC (or the real ports) for this process.

    The port layer is chosen once, at the first port access of the process
    (KESTAN_IOPORT); call this before opening the first card.
    """
    wanted = "simulator" if on else "hardware"
    if _chosen is not None and _chosen != wanted:
        raise KestanError(f"this process already uses the {_chosen} port layer")
    os.environ["KESTAN_IOPORT"] = wanted


def opened():
    """Called when a card has been opened: the layer is chosen from now on."""
    global _chosen
    _chosen = native().kit_card_layer().decode()


_LAYERS = ("hardware", "simulator")


def layer():
    """"hardware" or "simulator": the layer the calls reach ("none" when
    KESTAN_IOPORT names neither).

    Only reports: before the first card the layer is not chosen yet, and
    asking must not choose it, so it is read from KESTAN_IOPORT as the
    port layer will read it.
    """
    if _chosen is None:
        wanted = os.environ.get("KESTAN_IOPORT") or "hardware"
        return wanted if wanted in _LAYERS else "none"
    return _chosen
