// The Wendal card model: two joined 8255 channels and the 8254 cascade that
// requests its interrupt.
#include <gtest/gtest.h>

#include "cards/wendal_card.h"

namespace {

constexpr uint64_t kTickNs = 500;  // 2,000,000 Hz

struct Card : ::testing::Test {
  sim::WendalCard card;
  int interrupts = 0;
  uint64_t now = 0;
  void SetUp() override {
    card.connect_interrupt([this] { ++interrupts; });
    card.advance_to(now);  // the card's time starts
  }
  void ticks(uint64_t n) {
    now += n * kTickNs;
    card.advance_to(now);
  }
  void load(unsigned counter, uint8_t control, unsigned count) {
    card.write8(11, control);
    card.write8(8 + counter, static_cast<uint8_t>(count));
    card.write8(8 + counter, static_cast<uint8_t>(count >> 8));
  }
};

TEST_F(Card, ChannelZeroAndOneAreJoinedPortForPort) {
  EXPECT_STREQ("wendal", card.kind());
  EXPECT_EQ(12u, card.length());
  EXPECT_TRUE(card.has_interrupt_source());
  card.write8(7, 0x80);
  card.write8(4, 0x11);
  card.write8(5, 0x22);
  card.write8(6, 0x33);
  EXPECT_EQ(0x11, card.read8(0));
  EXPECT_EQ(0x22, card.read8(1));
  EXPECT_EQ(0x33, card.read8(2));
  EXPECT_EQ(0xFF, card.read8(11)) << "8254 control is write-only";
}

TEST_F(Card, FirstControlWordRaisesCounterTwosOutputFromItsPowerUpLow) {
  card.write8(11, 0xB4);
  EXPECT_EQ(1, interrupts) << "why the library programs the counters when it initialises the card";
  card.write8(11, 0xB4);
  EXPECT_EQ(1, interrupts);
}

TEST_F(Card, InterruptEveryCount1TimesCount2Periods) {
  card.write8(11, 0xB4);
  interrupts = 0;
  load(2, 0xB4, 6);
  load(1, 0x74, 20);
  int waited = 0;
  while (interrupts == 0 && waited < 1000) {
    ticks(1);
    ++waited;
  }
  ASSERT_EQ(1, interrupts);
  EXPECT_LE(waited, 120 + 20 + 2) << "counter 2 takes its count on counter 1's first output pulse";
  for (int k = 0; k < 5; ++k) {
    ticks(119);
    EXPECT_EQ(1 + k, interrupts) << k;
    ticks(1);
    EXPECT_EQ(2 + k, interrupts) << k;
  }
  // Many periods due at once: every one is raised.
  const int before = interrupts;
  ticks(120 * 1000);
  EXPECT_EQ(before + 1000, interrupts);
}

TEST_F(Card, AControlWordStopsTheCascade) {
  card.write8(11, 0xB4);
  interrupts = 0;
  load(2, 0xB4, 3);
  load(1, 0x74, 2);
  ticks(60);
  EXPECT_GE(interrupts, 9);
  card.write8(11, 0xB4);
  card.write8(11, 0x74);
  const int stopped = interrupts;
  ticks(1000);
  EXPECT_EQ(stopped, interrupts);
}

}  // namespace
