"""The kestan package on the simulated PC: every kind, errors, the state kept
between processes, and the refusal of the real ports without rights."""

import os
import subprocess
import sys

import pytest

import kestan

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
    with kestan.Card("kestan", 0x2A8) as card:
        with pytest.raises(kestan.CardError) as e:
            card.write(32, 1)
        assert (e.value.code, e.value.name, e.value.call) == (12, "Invalid_Channel_Number", "W_Kestan_DO_Channel")
    with pytest.raises(kestan.CardError) as e:
        kestan.Card("orvel", 0x308)
    assert (e.value.code, e.value.name) == (4, "Orvel_Invalid_Base_Address")
    with kestan.Card("fenmar", 0x220) as card:
        card.set_direction("A", "out")
        card.write_port(0, 0x5A)
        assert card.read_port(2) == 0x5A and card.direction("A") == "out"
        with pytest.raises(kestan.CardError) as e:
            card.counter_read(0)
        assert e.value.name == "No_Such_Counter"


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


def test_the_real_ports_without_rights_raise_with_the_remedy():
    if os.getuid() == 0:
        code = "import os; os.setuid(65534)\n"
    else:
        code = ""
    run = run_python(code + "try:\n kestan.Card('kestan', 0x2A8, simulator=False)\n"
                     "except kestan.PortRightsError as e:\n print(e.reason)\n", KESTAN_IOPORT="hardware")
    assert "CAP_SYS_RAWIO" in run.stdout, run.stdout + run.stderr
