"""The kestan package on the simulated PC: every kind, errors, the state kept
between processes, and the refusal of the real ports without rights."""

import os
import re
import subprocess
import sys

import pytest

import kestan
from kestan import _native

kestan.use_simulator()

# kind, base, output line written, input line the test cable joins to it
CABLES = [
    ("kestan", 0x2A8, 13, 13), ("orvel", 0x300, 30, 30), ("sarrow", 0x318, 9, 9),
    ("pellin", 0x210, 6, 6), ("fenmar", 0x220, 5, 21), ("wendal", 0x240, 9, 33),
    ("dulvar", 0x260, 2, 26),
]


@pytest.fixture(autouse=True)
def state_dir(tmp_path, monkeypatch):
    monkeypatch.setenv("KESTAN_IO_STATE_DIR", str(tmp_path))


@pytest.mark.parametrize("kind,base,out,inp", CABLES)
def test_every_kind_writes_a_line_and_reads_it_through_the_cable(kind, base, out, inp):
    with kestan.Card(kind, base) as card:
        card.write(out, 0)
        assert card.read(inp) == 0
        card.write(out, 1)
        assert card.read(inp) == 1
        assert card.read_back(out // 8) == 1 << (out % 8)
        assert len(card.inputs()) == card.lines


def test_refusals_carry_the_code_its_name_and_the_call():
    with pytest.raises(kestan.CardError) as e:
        kestan.Card("orvel", 0x308)
    assert (e.value.code, e.value.name, e.value.call) == (4, "Orvel_Invalid_Base_Address", "W_Orvel_Initial")
    with pytest.raises(ValueError):
        kestan.Card("kestan", -1)
    with kestan.Card("fenmar", 0x220) as card:
        card.set_direction("A", "out")
        card.write_port(0, 0x5A)
        assert card.read_port(2) == 0x5A and card.direction("A") == "out"
        with pytest.raises(kestan.CardError) as e:
            card.counter_read(0)
        assert e.value.name == "No_Such_Counter"


# Every value kestan-io refuses, refused before the library could cut it to
# its low bits (2**32 + 5 would be line 5).
OUT_OF_RANGE = [
    ("write", (2**32 + 5, 1)), ("write", (2**40, 1)), ("write", (32, 1)), ("write", (-1, 1)),
    ("write", (5, 2)), ("read", (32,)), ("write_port", (0, -1)), ("write_port", (0, 256)),
    ("write_port", (4, 1)), ("read_back", (-1,)), ("counter_start", (0, 0, 70000)),
    ("counter_start", (0, 6, 5)), ("counter_start", (3, 0, 5)), ("counter_read", (-1,)),
]


@pytest.mark.parametrize("call,args", OUT_OF_RANGE)
def test_values_out_of_range_raise_and_change_nothing(call, args):
    with kestan.Card() as card:
        card.write_port(0, 0)
        with pytest.raises(ValueError):
            getattr(card, call)(*args)
        assert card.read_back(0) == 0 and card.read_port(0) == 0


def test_the_codes_the_package_tells_apart_are_those_of_the_c_interface():
    header = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "common", "card_api.h")
    with open(header) as f:
        defined = dict((name, int(code)) for name, code in re.findall(r"#define KIT_CARD_(\w+)\s+\((-?\d+)\)", f.read()))
    for name in ("NO_RIGHTS", "NO_LAYER", "IN_USE", "NO_STATE"):
        assert getattr(_native, name) == defined[name], name


def test_a_closed_card_raises_as_a_closed_file_does():
    card = kestan.Card()
    card.close()
    with pytest.raises(ValueError):
        card.read(5)
    with kestan.Card() as card:
        pass
    with pytest.raises(ValueError):
        card.write(5, 1)


def test_counters_count_down_from_the_count():
    with kestan.Card() as card:
        card.counter_start(0, 2, 1000)
        assert 1 <= card.counter_read(0) <= 1000


def run_python(code, **env):
    return subprocess.run([sys.executable, "-c", "import kestan\n" + code], capture_output=True, text=True,
                          env={**os.environ, **env})


def test_a_new_process_keeps_the_outputs_another_wrote():
    first = run_python("kestan.Card('kestan', 0x2A8, simulator=True).write(3, 1)")
    assert first.returncode == 0, first.stderr
    second = run_python("c = kestan.Card('kestan', 0x2A8, simulator=True); c.write(5, 1); print(c.read_back(0))")
    assert second.stdout == "40\n", second.stderr


def test_each_card_drives_its_own_card_whatever_else_is_open(tmp_path):
    run = run_python("a = kestan.Card('kestan', 0x2A8, simulator=True)\n"
                     "b = kestan.Card('kestan', 0x2B0, simulator=True)\n"
                     "a.write(3, 1)\n"
                     "print(a.read(3), b.read(3), a.read_back(0), b.read_back(0))",
                     KESTAN_SIM_RACK="kestan@2A8,kestan@2B0", KESTAN_SIM_PC=str(tmp_path / "two.pc"))
    assert run.stdout == "1 0 8 0\n", run.stderr


def test_asking_the_layer_chooses_nothing_and_a_failed_open_is_quiet():
    run = run_python("print(kestan.layer())\nc = kestan.Card('kestan', 0x2A8, simulator=True)\n"
                     "print(kestan.layer())\n"
                     "try:\n kestan.Card('bogus')\nexcept kestan.KestanError:\n pass\n",
                     KESTAN_IOPORT="")
    assert (run.returncode, run.stdout, run.stderr) == (0, "hardware\nsimulator\n", "")


def test_the_real_ports_without_rights_raise_with_the_remedy():
    if os.getuid() == 0:
        code = "import os; os.setuid(65534)\n"
    else:
        code = ""
    run = run_python(code + "try:\n kestan.Card('kestan', 0x2A8, simulator=False)\n"
                     "except kestan.PortRightsError as e:\n print(e.reason)\n", KESTAN_IOPORT="hardware")
    # The remedy follows the cause: no root, or a kernel without port access.
    assert "CAP_SYS_RAWIO" in run.stdout or "no port access" in run.stdout, run.stdout + run.stderr


def test_a_records_folder_of_another_user_or_a_pc_that_cannot_be_kept_is_refused(tmp_path):
    if os.getuid() != 0:
        pytest.skip("another user's folder needs root to make")
    planted = tmp_path / "planted"
    (planted / "simulator").mkdir(parents=True)
    os.chown(planted / "simulator", 65534, 65534)
    run = run_python("try:\n kestan.Card('kestan', 0x2A8, simulator=True).write(3, 1)\n"
                     "except kestan.KestanError as e:\n print(e)\n", KESTAN_IO_STATE_DIR=str(planted))
    assert "belongs to user 65534" in run.stdout, run.stdout + run.stderr
    run = run_python("try:\n kestan.Card('kestan', 0x2A8, simulator=True)\n"
                     "except kestan.PortRightsError as e:\n print(e.reason)\n", KESTAN_SIM_PC="/proc/x.pc")
    assert "would not last" in run.stdout, run.stdout + run.stderr
