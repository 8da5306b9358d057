// The 8254 model against the chip's rules: each mode's count and OUT pulse
// by pulse, loading, reload, gate, latches, byte order, BCD, read-back and
// the cascade of one counter's OUT into the next one's CLK.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "chips/pit8254.h"

namespace {

using sim::Pit8254;

// Control words: counter << 6 | access << 4 | mode << 1 | bcd.
constexpr uint8_t control(int counter, int access, int mode, int bcd = 0) {
  return static_cast<uint8_t>(counter << 6 | access << 4 | mode << 1 | bcd);
}

struct Edge {
  uint64_t pulse;
  bool level;
};

class Rig {
 public:
  Rig() {
    pit.on_out_change([this](int counter, bool level) { edges[counter].push_back({pulse, level}); });
  }
  void write_control(uint8_t value) { pit.write(Pit8254::kControl, value); }
  void write_count(int counter, uint16_t count) {  // access 3: low byte, then high byte
    pit.write(counter, static_cast<uint8_t>(count));
    pit.write(counter, static_cast<uint8_t>(count >> 8));
  }
  void start(int counter, int mode, uint16_t count) {
    write_control(control(counter, 3, mode));
    write_count(counter, count);
  }
  unsigned read_word(int counter) {
    unsigned low = pit.read(counter);
    return low | pit.read(counter) << 8;
  }
  unsigned latched(int counter) {
    write_control(control(counter, 0, 0));
    return read_word(counter);
  }
  void pulses(int counter, uint64_t n) {
    for (uint64_t i = 0; i < n; ++i) {
      ++pulse;
      pit.clock(counter, 1);
    }
  }

  Pit8254 pit;
  uint64_t pulse = 0;
  std::vector<Edge> edges[Pit8254::kCounters];
};

struct Sample {
  unsigned count;
  bool out;
};

// After each single CLK pulse the latched count and OUT must be the row's.
void expect_pulses(Rig &rig, int counter, const Sample *want, size_t n, const char *file, int line) {
  std::string got_text, want_text;
  bool same = true;
  for (size_t i = 0; i < n; ++i) {
    rig.pulses(counter, 1);
    Sample got{rig.latched(counter), rig.pit.out(counter)};
    char text[48];
    std::snprintf(text, sizeof text, "  pulse %zu: %04X %d\n", i + 1, got.count, got.out);
    got_text += text;
    std::snprintf(text, sizeof text, "  pulse %zu: %04X %d\n", i + 1, want[i].count, want[i].out);
    want_text += text;
    same = same && got.count == want[i].count && got.out == want[i].out;
  }
  if (!same) ADD_FAILURE_AT(file, line) << "expected:\n" << want_text << "got:\n" << got_text;
}

#define EXPECT_PULSES(rig, counter, table) \
  expect_pulses(rig, counter, table, sizeof(table) / sizeof(table)[0], __FILE__, __LINE__)

// --- modes, pulse by pulse --------------------------------------------------

TEST(Pit8254Modes, Mode0OutGoesHighAtTerminalCountAndStaysThere) {
  Rig rig;
  rig.write_control(control(0, 3, 0));
  EXPECT_FALSE(rig.pit.out(0));
  rig.write_count(0, 3);
  const Sample want[] = {{3, 0}, {2, 0}, {1, 0}, {0, 1}, {0xFFFF, 1}, {0xFFFE, 1}};
  EXPECT_PULSES(rig, 0, want);
  // A new count sends OUT low again and counts from the next pulse.
  rig.write_count(0, 2);
  EXPECT_FALSE(rig.pit.out(0));
  const Sample again[] = {{2, 0}, {1, 0}, {0, 1}};
  EXPECT_PULSES(rig, 0, again);
  // After the terminal count, the first byte of a new count sends OUT low.
  rig.pit.write(0, 5);
  EXPECT_FALSE(rig.pit.out(0));
  // So does a one-byte count.
  Rig low_only;
  low_only.write_control(control(0, 1, 0));
  low_only.pit.write(0, 2);
  low_only.pulses(0, 3);
  ASSERT_TRUE(low_only.pit.out(0));
  low_only.pit.write(0, 3);
  EXPECT_FALSE(low_only.pit.out(0));
  for (int pulse = 1; pulse <= 4; ++pulse) {  // load, 2, 1, 0
    low_only.pulses(0, 1);
    EXPECT_EQ(pulse == 4, low_only.pit.out(0)) << pulse;
  }
}

TEST(Pit8254Modes, Mode0FirstByteOfACountStopsTheCountInProgress) {
  Rig rig;
  rig.start(0, 0, 10);
  rig.pulses(0, 3);  // load, 9, 8
  rig.pit.write(0, 5);
  rig.pulses(0, 4);
  EXPECT_EQ(8u, rig.latched(0));
  EXPECT_FALSE(rig.pit.out(0));
  rig.pit.write(0, 0);
  const Sample want[] = {{5, 0}, {4, 0}};
  EXPECT_PULSES(rig, 0, want);
}

TEST(Pit8254Modes, Mode0GateLowPausesCounting) {
  Rig rig;
  rig.start(0, 0, 4);
  rig.pulses(0, 2);  // load, 3
  rig.pit.set_gate(0, false);
  rig.pulses(0, 5);
  EXPECT_EQ(3u, rig.latched(0));
  rig.pit.set_gate(0, true);
  const Sample want[] = {{2, 0}, {1, 0}, {0, 1}};
  EXPECT_PULSES(rig, 0, want);
}

TEST(Pit8254Modes, Mode1WaitsForAGateTriggerAndIsRetriggerable) {
  Rig rig;
  rig.start(1, 1, 3);
  EXPECT_TRUE(rig.pit.out(1));
  rig.pulses(1, 5);
  EXPECT_TRUE(rig.pit.out(1));  // no trigger, no pulse
  rig.pit.set_gate(1, false);
  rig.pit.set_gate(1, true);
  const Sample want[] = {{3, 0}, {2, 0}, {1, 0}, {0, 1}, {0xFFFF, 1}};
  EXPECT_PULSES(rig, 1, want);
  rig.pit.set_gate(1, false);
  rig.pit.set_gate(1, true);
  const Sample retrigger[] = {{3, 0}, {2, 0}};
  EXPECT_PULSES(rig, 1, retrigger);
  rig.pit.set_gate(1, false);
  rig.pit.set_gate(1, true);  // retriggered before the end: the one-shot is longer
  const Sample longer[] = {{3, 0}, {2, 0}, {1, 0}, {0, 1}};
  EXPECT_PULSES(rig, 1, longer);
}

// Modes 1 and 5 start on a rising GATE edge only: GATE held high or going low
// triggers nothing, and counting goes on through a low GATE.
TEST(Pit8254Modes, Modes1And5TriggerOnlyOnARisingGateEdge) {
  const struct {
    int mode;
    Sample going_on[2];
    Sample retriggered[2];
  } cases[] = {
      {1, {{3, 0}, {2, 0}}, {{5, 0}, {4, 0}}},
      {5, {{3, 1}, {2, 1}}, {{5, 1}, {4, 1}}},
  };
  for (const auto &k : cases) {
    SCOPED_TRACE(k.mode);
    Rig rig;
    rig.start(0, k.mode, 5);
    rig.pit.set_gate(0, false);
    rig.pit.set_gate(0, true);
    rig.pulses(0, 2);  // load 5, 4
    rig.pit.set_gate(0, true);  // no edge
    EXPECT_PULSES(rig, 0, k.going_on);
    rig.pit.set_gate(0, false);
    rig.pulses(0, 1);
    EXPECT_EQ(1u, rig.latched(0)) << "a falling edge triggers nothing";
    rig.pit.set_gate(0, true);
    EXPECT_PULSES(rig, 0, k.retriggered);
  }
}

TEST(Pit8254Modes, Mode2RateGeneratorGoesLowForOnePulsePerPeriod) {
  Rig rig;
  rig.write_control(control(2, 3, 2));
  EXPECT_TRUE(rig.pit.out(2));
  rig.write_count(2, 3);
  const Sample want[] = {{3, 1}, {2, 1}, {1, 0}, {3, 1}, {2, 1}, {1, 0}, {3, 1}};
  EXPECT_PULSES(rig, 2, want);
}

TEST(Pit8254Modes, Mode2NewCountTakesEffectAtTheNextReload) {
  Rig rig;
  rig.start(0, 2, 4);
  rig.pulses(0, 2);  // load, 3
  rig.write_count(0, 2);
  const Sample want[] = {{2, 1}, {1, 0}, {2, 1}, {1, 0}, {2, 1}};
  EXPECT_PULSES(rig, 0, want);
  // A count that, loaded at once, would give another sequence.
  Rig later;
  later.start(0, 2, 6);
  later.pulses(0, 2);  // load, 5
  later.write_count(0, 3);
  const Sample old_period_first[] = {{4, 1}, {3, 1}, {2, 1}, {1, 0}, {3, 1}, {2, 1}, {1, 0}};
  EXPECT_PULSES(later, 0, old_period_first);
}

TEST(Pit8254Modes, Mode2GateLowForcesOutHighAndGateHighReloads) {
  Rig rig;
  rig.start(0, 2, 3);
  rig.pulses(0, 3);  // load, 2, 1 (OUT low)
  ASSERT_FALSE(rig.pit.out(0));
  rig.pit.set_gate(0, false);
  EXPECT_TRUE(rig.pit.out(0));
  rig.pulses(0, 4);
  EXPECT_EQ(1u, rig.latched(0));
  rig.pit.set_gate(0, true);
  const Sample want[] = {{3, 1}, {2, 1}, {1, 0}};
  EXPECT_PULSES(rig, 0, want);
  // Mid-period too: the rising edge starts a whole new period.
  Rig mid;
  mid.start(0, 2, 6);
  mid.pulses(0, 2);  // load, 5
  mid.pit.set_gate(0, false);
  mid.pulses(0, 3);
  EXPECT_EQ(5u, mid.latched(0));
  mid.pit.set_gate(0, true);
  const Sample reloaded[] = {{6, 1}, {5, 1}, {4, 1}};
  EXPECT_PULSES(mid, 0, reloaded);
}

// Mode 3: GATE low forces OUT high and stops; the rising edge starts a new
// high half. Mode 4: GATE low only pauses the count.
TEST(Pit8254Modes, Modes3And4Gate) {
  Rig square;
  square.start(0, 3, 8);
  square.pulses(0, 5);  // 8, 6, 4, 2 high, then 8 low
  ASSERT_FALSE(square.pit.out(0));
  square.pit.set_gate(0, false);
  EXPECT_TRUE(square.pit.out(0));
  square.pulses(0, 3);
  EXPECT_EQ(8u, square.latched(0));
  EXPECT_TRUE(square.pit.out(0));
  square.pit.set_gate(0, true);
  const Sample restarted[] = {{8, 1}, {6, 1}, {4, 1}, {2, 1}, {8, 0}};
  EXPECT_PULSES(square, 0, restarted);

  Rig strobe;
  strobe.start(0, 4, 5);
  strobe.pulses(0, 2);  // load 5, 4
  strobe.pit.set_gate(0, false);
  strobe.pulses(0, 3);
  EXPECT_EQ(4u, strobe.latched(0));
  strobe.pit.set_gate(0, true);
  const Sample resumed[] = {{3, 1}, {2, 1}, {1, 1}, {0, 0}};
  EXPECT_PULSES(strobe, 0, resumed);
}

TEST(Pit8254Modes, Mode3EvenCountIsASquareWaveCountingByTwo) {
  Rig rig;
  rig.start(0, 3, 4);
  const Sample want[] = {{4, 1}, {2, 1}, {4, 0}, {2, 0}, {4, 1}, {2, 1}, {4, 0}};
  EXPECT_PULSES(rig, 0, want);
}

TEST(Pit8254Modes, Mode3OddCountIsHighOneHalfPulseLonger) {
  Rig rig;
  rig.start(0, 3, 5);
  // High (5+1)/2 = 3 pulses, low (5-1)/2 = 2 pulses.
  const Sample want[] = {{4, 1}, {2, 1}, {0, 1}, {4, 0}, {2, 0}, {4, 1}, {2, 1}, {0, 1}, {4, 0}};
  EXPECT_PULSES(rig, 0, want);
}

TEST(Pit8254Modes, Mode3NewCountTakesEffectAtTheEndOfTheHalfPeriod) {
  Rig rig;
  rig.start(0, 3, 6);
  rig.pulses(0, 2);  // load 6, 4
  rig.write_count(0, 2);
  const Sample want[] = {{2, 1}, {2, 0}, {2, 1}, {2, 0}};
  EXPECT_PULSES(rig, 0, want);
  Rig later;
  later.start(0, 3, 10);
  later.pulses(0, 2);  // load 10, 8
  later.write_count(0, 4);
  const Sample old_half_first[] = {{6, 1}, {4, 1}, {2, 1}, {4, 0}, {2, 0}, {4, 1}, {2, 1}};
  EXPECT_PULSES(later, 0, old_half_first);
}

TEST(Pit8254Modes, Mode4StrobesLowForOnePulseOnceAfterTheCount) {
  Rig rig;
  rig.start(0, 4, 3);
  EXPECT_TRUE(rig.pit.out(0));
  const Sample want[] = {{3, 1}, {2, 1}, {1, 1}, {0, 0}, {0xFFFF, 1}, {0xFFFE, 1}};
  EXPECT_PULSES(rig, 0, want);
  // Writing a count again is the software trigger.
  rig.write_count(0, 1);
  const Sample again[] = {{1, 1}, {0, 0}, {0xFFFF, 1}};
  EXPECT_PULSES(rig, 0, again);
  // A count written while counting is loaded on the next pulse.
  Rig busy;
  busy.start(0, 4, 10);
  busy.pulses(0, 3);  // 10, 9, 8
  busy.write_count(0, 3);
  const Sample reloaded[] = {{3, 1}, {2, 1}, {1, 1}, {0, 0}};
  EXPECT_PULSES(busy, 0, reloaded);
}

TEST(Pit8254Modes, Mode5StrobesAfterAGateTrigger) {
  Rig rig;
  rig.start(0, 5, 2);
  size_t edges = rig.edges[0].size();
  rig.pulses(0, 4);
  EXPECT_TRUE(rig.pit.out(0));
  EXPECT_EQ(edges, rig.edges[0].size());
  rig.pit.set_gate(0, false);
  rig.pit.set_gate(0, true);
  const Sample want[] = {{2, 1}, {1, 1}, {0, 0}, {0xFFFF, 1}};
  EXPECT_PULSES(rig, 0, want);
}

TEST(Pit8254Modes, ModesSixAndSevenAreTwoAndThree) {
  Rig six, two;
  six.start(0, 6, 3);
  two.start(0, 2, 3);
  Rig seven, three;
  seven.start(0, 7, 5);
  three.start(0, 3, 5);
  for (int i = 0; i < 12; ++i) {
    six.pulses(0, 1);
    two.pulses(0, 1);
    seven.pulses(0, 1);
    three.pulses(0, 1);
    ASSERT_EQ(two.latched(0), six.latched(0)) << i;
    ASSERT_EQ(two.pit.out(0), six.pit.out(0)) << i;
    ASSERT_EQ(three.latched(0), seven.latched(0)) << i;
    ASSERT_EQ(three.pit.out(0), seven.pit.out(0)) << i;
  }
}

// --- counts, bytes, latches ---------------------------------------------------

TEST(Pit8254Counts, CountIsLowByteThenHighByte) {
  Rig rig;
  rig.write_control(control(0, 3, 0));
  rig.pit.write(0, 0x34);
  rig.pit.write(0, 0x12);
  rig.pulses(0, 1);
  EXPECT_EQ(0x1234u, rig.latched(0));
}

TEST(Pit8254Counts, CountOfZeroIs65536) {
  Rig rig;
  rig.start(0, 0, 0);
  rig.pulses(0, 1);
  EXPECT_EQ(0u, rig.latched(0));
  rig.pit.clock(0, 65535);
  EXPECT_EQ(1u, rig.latched(0));
  EXPECT_FALSE(rig.pit.out(0));
  rig.pit.clock(0, 1);
  EXPECT_EQ(0u, rig.latched(0));
  EXPECT_TRUE(rig.pit.out(0));
  // Mode 2 with 0: a period of 65536 pulses.
  Rig rate;
  rate.start(1, 2, 0);
  rate.edges[1].clear();
  rate.pit.clock(1, 1 + 65536 * 3);
  ASSERT_EQ(6u, rate.edges[1].size());  // 3 periods: low and high edge each
}

TEST(Pit8254Counts, SingleByteAccessModes) {
  Rig rig;
  rig.write_control(control(0, 1, 0));  // low byte only
  rig.pit.write(0, 0x05);
  rig.pulses(0, 1);
  EXPECT_EQ(0x05, rig.pit.read(0));
  EXPECT_EQ(0x05, rig.pit.read(0));  // every read is the low byte
  rig.write_control(control(1, 2, 0));  // high byte only
  rig.pit.write(1, 0x01);
  rig.pulses(1, 2);
  EXPECT_EQ(0x00, rig.pit.read(1));  // 0x0100 - 1 = 0x00FF: high byte 0
  rig.write_control(control(1, 0, 0));
  EXPECT_EQ(0x00, rig.pit.read(1));
  rig.write_control(control(2, 2, 0));
  rig.pit.write(2, 0x01);
  rig.pulses(2, 1);
  rig.write_control(control(2, 0, 0));
  EXPECT_EQ(0x01, rig.pit.read(2));
}

TEST(Pit8254Counts, LatchHoldsTheCountUntilBothBytesAreRead) {
  Rig rig;
  rig.start(0, 2, 1000);
  rig.pulses(0, 1);
  rig.write_control(control(0, 0, 0));
  rig.pulses(0, 300);
  rig.write_control(control(0, 0, 0));  // a second latch before reading is ignored
  EXPECT_EQ(0xE8, rig.pit.read(0));     // 1000 = 03E8H
  rig.pulses(0, 300);
  rig.write_control(control(0, 0, 0));  // still ignored: the high byte is unread
  EXPECT_EQ(0x03, rig.pit.read(0));
  // Now reads follow the counter again.
  EXPECT_EQ(400u, rig.read_word(0));
  EXPECT_EQ(400u, rig.latched(0));
}

TEST(Pit8254Counts, ControlWordDropsALatchAndMakesTheNextByteTheLowOne) {
  Rig rig;
  rig.start(0, 2, 0x1234);
  rig.pulses(0, 1);
  rig.write_control(control(0, 0, 0));
  rig.pit.read(0);  // low byte of the latch only
  rig.start(0, 2, 0x0300);
  rig.pulses(0, 1);
  EXPECT_EQ(0x0300u, rig.read_word(0));
  // Likewise the write side: a first byte written before the control word is forgotten.
  rig.write_control(control(0, 3, 0));
  rig.pit.write(0, 0x34);
  rig.write_control(control(0, 3, 0));
  rig.write_count(0, 0x5678);
  rig.pulses(0, 1);
  EXPECT_EQ(0x5678u, rig.latched(0));
  // And a latched status.
  rig.write_control(0xE2);
  rig.start(0, 2, 0x1234);
  rig.pulses(0, 1);
  EXPECT_EQ(0x1234u, rig.read_word(0));
}

TEST(Pit8254Counts, BcdCountsInDecimalAndZeroIsTenThousand) {
  Rig rig;
  rig.write_control(control(0, 3, 2, 1));
  rig.write_count(0, 0x0012);
  const Sample want[] = {{0x12, 1}, {0x11, 1}, {0x10, 1}, {0x09, 1}, {0x08, 1}};
  EXPECT_PULSES(rig, 0, want);
  Rig zero;
  zero.write_control(control(0, 3, 0, 1));
  zero.write_count(0, 0);
  zero.pulses(0, 2);
  EXPECT_EQ(0x9999u, zero.latched(0));
  zero.pit.clock(0, 9998);
  EXPECT_EQ(0x0001u, zero.latched(0));
  EXPECT_FALSE(zero.pit.out(0));
  zero.pit.clock(0, 1);
  EXPECT_TRUE(zero.pit.out(0));
}

TEST(Pit8254Counts, ReadBackLatchesStatusThenCount) {
  Rig rig;
  rig.write_control(control(1, 3, 2));
  rig.write_count(1, 0x0102);
  // Null count: the count is written but not yet loaded.
  rig.write_control(0xE4);  // read-back, status only (bit 5 set), counter 1
  EXPECT_EQ(0xC0 | 0x34, rig.pit.read(1));  // OUT high, null count, access 3, mode 2
  rig.pulses(1, 2);  // load, 0x0101
  rig.write_control(0xC4);  // count and status of counter 1
  rig.pulses(1, 5);
  EXPECT_EQ(0x80 | 0x34, rig.pit.read(1));
  EXPECT_EQ(0x0101u, rig.read_word(1));
  EXPECT_EQ(0x00FCu, rig.read_word(1));
  EXPECT_EQ(0xFF, rig.pit.read(Pit8254::kControl));
}

TEST(Pit8254Counts, ARepeatedReadBackLatchesNothingNew) {
  Rig rig;
  rig.start(0, 2, 100);
  rig.pulses(0, 1);
  rig.write_control(0xD2);  // count of counter 0
  rig.pulses(0, 10);
  rig.write_control(0xD2);
  EXPECT_EQ(100u, rig.read_word(0));
  Rig status;
  status.start(0, 2, 3);
  status.pulses(0, 1);      // OUT high
  status.write_control(0xE2);  // status of counter 0
  status.pulses(0, 2);      // OUT low
  status.write_control(0xE2);
  EXPECT_EQ(0x80 | 0x34, status.pit.read(0));
}

// Status bits 5-0 are the control word as written, modes 6 and 7 included;
// NULL COUNT rises with the last byte of a count and falls when it is loaded.
TEST(Pit8254Counts, StatusKeepsTheControlWordAndTracksNullCount) {
  const struct {
    int counter, mode;
    uint8_t read_back, status;
  } words[] = {{0, 6, 0xE2, 0xC0 | 0x3C}, {1, 7, 0xE4, 0xC0 | 0x3E}, {2, 3, 0xE8, 0xC0 | 0x36}};
  for (const auto &w : words) {
    Rig rig;
    rig.write_control(control(w.counter, 3, w.mode));
    rig.write_control(w.read_back);
    EXPECT_EQ(w.status, rig.pit.read(w.counter)) << "mode " << w.mode;
  }
  Rig rig;
  auto status = [&rig] {
    rig.write_control(0xE2);
    return rig.pit.read(0);
  };
  rig.start(0, 2, 5);
  rig.pulses(0, 1);  // loaded
  EXPECT_EQ(0xB4, status());
  rig.pit.write(0, 7);
  EXPECT_EQ(0xB4, status()) << "the first byte leaves NULL COUNT clear";
  rig.pit.write(0, 0);
  EXPECT_EQ(0xF4, status());
  rig.pulses(0, 3);  // 4, 3, 2
  EXPECT_EQ(0xF4, status()) << "until the reload";
  rig.pulses(0, 2);  // 1, reload 7
  EXPECT_EQ(7u, rig.latched(0));
  EXPECT_EQ(0xB4, status());
}

// --- time in large steps --------------------------------------------------------

// One clock() call over many pulses must end exactly where single pulses do,
// with the same OUT edges.
TEST(Pit8254Steps, LargeStepsMatchSinglePulses) {
  const struct { int mode; uint16_t count; } cases[] = {
      {0, 7}, {1, 7}, {2, 7}, {3, 7}, {3, 8}, {4, 7}, {5, 7}, {2, 1}, {3, 1}, {2, 2}, {3, 3}};
  const uint64_t steps[] = {1, 2, 3, 5, 13, 1, 40, 7, 100};
  for (const auto &c : cases) {
    Rig single, jumps;
    single.start(0, c.mode, c.count);
    jumps.start(0, c.mode, c.count);
    if (c.mode == 1 || c.mode == 5) {
      for (Rig *r : {&single, &jumps}) {
        r->pit.set_gate(0, false);
        r->pit.set_gate(0, true);
      }
    }
    for (uint64_t n : steps) {
      single.pulses(0, n);
      jumps.pit.clock(0, n);
      ASSERT_EQ(single.latched(0), jumps.latched(0)) << "mode " << c.mode << " count " << c.count;
      ASSERT_EQ(single.pit.out(0), jumps.pit.out(0)) << "mode " << c.mode << " count " << c.count;
      ASSERT_EQ(single.edges[0].size(), jumps.edges[0].size())
          << "mode " << c.mode << " count " << c.count;
    }
  }
}

TEST(Pit8254Steps, CascadeCountsEveryFallingEdgeOfTheFirstCounter) {
  // 2 MHz into counter 1 (divisor 20), its OUT into counter 2 (divisor 250):
  // 2,000,000 / (20 x 250) = 400 rising edges a second on counter 2's OUT.
  Rig rig;
  rig.pit.chain(1, 2);
  rig.start(1, 2, 20);
  rig.start(2, 2, 250);
  rig.edges[2].clear();
  rig.pit.advance(2000000);
  size_t rising = 0;
  for (const Edge &e : rig.edges[2]) rising += e.level;
  // The first load of each counter costs a pulse: 399 or 400 full periods.
  EXPECT_GE(rising, 399u);
  EXPECT_LE(rising, 400u);
  // The same second in steps of a millisecond.
  Rig jumps;
  jumps.pit.chain(1, 2);
  jumps.start(1, 2, 20);
  jumps.start(2, 2, 250);
  jumps.edges[2].clear();
  for (int i = 0; i < 1000; ++i) jumps.pit.advance(2000);
  EXPECT_EQ(rig.edges[2].size(), jumps.edges[2].size());
  EXPECT_EQ(rig.latched(2), jumps.latched(2));
}

// The counter fed by another counts on each falling edge of its OUT, never on a rising one.
TEST(Pit8254Steps, ACascadeCountsFallingEdges) {
  Rig rig;
  rig.pit.chain(0, 1);
  rig.start(1, 0, 50);
  rig.start(0, 3, 6);  // 3 pulses high, 3 low
  int falls = 0;
  for (int i = 0; i < 20; ++i) {
    const bool out_before = rig.pit.out(0);
    const unsigned count_before = rig.latched(1);
    rig.pulses(0, 1);
    const bool fell = out_before && !rig.pit.out(0);
    falls += fell;
    EXPECT_EQ(fell, rig.latched(1) != count_before) << "pulse " << i + 1;
  }
  EXPECT_GE(falls, 3);
}

TEST(Pit8254Steps, ChainsCanBeUndoneAndNeverCloseALoop) {
  Rig rig;
  rig.pit.chain(0, 1);
  rig.pit.chain(1, 0);  // would loop: ignored
  rig.pit.chain(2, 2);  // likewise
  rig.start(0, 2, 2);
  rig.start(1, 0, 100);
  rig.start(2, 0, 100);
  rig.pit.advance(11);  // counter 0: load, then a falling edge every 2 pulses
  EXPECT_EQ(100u - 4, rig.latched(1));  // 5 edges: 1 load, 4 counts
  EXPECT_EQ(100u - 10, rig.latched(2));
  rig.pit.chain(0, -1);
  rig.pit.advance(10);
  EXPECT_EQ(100u - 14, rig.latched(1));  // now clocked by the oscillator
}

}  // namespace
