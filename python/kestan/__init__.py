"""The Kestan toolkit's digital I/O cards from Python.

A thin layer (ctypes, no compiler needed) over the toolkit's native
libraries: every card kind (kestan, orvel, sarrow, pellin, fenmar, wendal,
dulvar), on the real ports or on the simulated PC.

    import kestan
    with kestan.Card("kestan", 0x2A8, simulator=True) as card:
        card.write(5, 1)
        print(card.read(5))        # 1: the test cable feeds output n to input n

A call the card's library refuses raises kestan.CardError, which carries the
library's code, its name as the library's header spells it and the call
that refused. A process without the right to the real ports gets
kestan.PortRightsError with the cause and the remedy.

Outputs stay as they are between processes: like kestan-io, the package
keeps what it wrote in the card's state file and puts it back in the
library before it writes, so a one-line write never switches off the
card's other outputs.
"""

from ._native import CardError, CardInUseError, PortRightsError, KestanError, use_simulator, layer
from .card import Card, KINDS

__all__ = ["Card", "KINDS", "CardError", "CardInUseError", "PortRightsError", "KestanError", "use_simulator", "layer"]
