// The Kestan card model: register map, test cable, lines driven from outside.
#include <gtest/gtest.h>

#include "iosim.h"
#include "journal_check.h"

namespace {

const unsigned short kBase = 0x2A8;

class KestanCard : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, iosim_load_rack("kestan@2A8"));
    iosim_journal_enable(1);
  }
  void TearDown() override { iosim_reset(); }

  unsigned outputs() {
    unsigned v = 0xDEADBEEF;
    EXPECT_EQ(IOSIM_OK, iosim_read_outputs(kBase, 0, &v));
    return v;
  }
  unsigned inputs() {
    unsigned v = 0xDEADBEEF;
    EXPECT_EQ(IOSIM_OK, iosim_read_inputs(kBase, 0, &v));
    return v;
  }
};

TEST_F(KestanCard, OutputsStartAtZeroAndTheCableFeedsThemBack) {
  EXPECT_EQ(0u, outputs());
  EXPECT_EQ(0u, inputs());
  io_out8(kBase + 0, 0x11);
  io_out8(kBase + 1, 0x22);
  io_out8(kBase + 2, 0x33);
  io_out8(kBase + 3, 0x44);
  EXPECT_EQ(0x44332211u, outputs());
  EXPECT_EQ(0x44332211u, inputs());
  EXPECT_EQ(0x22, io_in8(kBase + 1));
  EXPECT_EQ(0x4433, io_in16(kBase + 2));
}

TEST_F(KestanCard, WordPortsAtZeroAndTwoAreSixteenLines) {
  io_out16(kBase + 0, 0xABCD);
  io_out16(kBase + 2, 0x1234);
  EXPECT_EQ(0x1234ABCDu, outputs());
  EXPECT_EQ(0xCD, io_in8(kBase + 0));
  EXPECT_EQ(0x12, io_in8(kBase + 3));
  io_out16(kBase + 1, 0x5566);  // odd word: bytes to offsets 1 and 2
  EXPECT_EQ(0x125566CDu, outputs());
  EXPECT_EQ(0x5566, io_in16(kBase + 1));
}

TEST_F(KestanCard, WithoutTheCableInputsFloatHigh) {
  io_out16(kBase, 0x0F0F);
  ASSERT_EQ(IOSIM_OK, iosim_set_loopback(kBase, 0));
  EXPECT_EQ(0xFFFFFFFFu, inputs());
  EXPECT_EQ(0xFFFF, io_in16(kBase));
  EXPECT_EQ(0x00000F0Fu, outputs());
  ASSERT_EQ(IOSIM_OK, iosim_set_loopback(kBase, 1));
  EXPECT_EQ(0x0F0F, io_in16(kBase));
}

TEST_F(KestanCard, DrivenLinesOverrideUntilReleased) {
  io_out8(kBase, 0xFF);
  ASSERT_EQ(IOSIM_OK, iosim_drive_inputs(kBase, 0, 0x000000F0u, 0x00000030u));
  EXPECT_EQ(0x3F, io_in8(kBase));
  ASSERT_EQ(IOSIM_OK, iosim_drive_inputs(kBase, 0, 0x80000000u, 0xFFFFFFFFu));
  EXPECT_EQ(0x80, io_in8(kBase + 3));
  // Driven lines stay driven with the cable pulled; the rest float high.
  ASSERT_EQ(IOSIM_OK, iosim_set_loopback(kBase, 0));
  EXPECT_EQ(0xFFFFFF3Fu, inputs());
  ASSERT_EQ(IOSIM_OK, iosim_release_inputs(kBase, 0, 0x000000C0u));
  EXPECT_EQ(0xFFFFFFFFu, inputs());
  ASSERT_EQ(IOSIM_OK, iosim_set_loopback(kBase, 1));
  ASSERT_EQ(IOSIM_OK, iosim_release_inputs(kBase, 0, 0xFFFFFFFFu));
  EXPECT_EQ(0x000000FFu, inputs());
  EXPECT_EQ(0x000000FFu, outputs());  // driving inputs never touches the outputs
}

TEST_F(KestanCard, OnlyBankZeroExists) {
  unsigned v = 0;
  EXPECT_EQ(IOSIM_BAD_BANK, iosim_read_outputs(kBase, 1, &v));
  EXPECT_EQ(IOSIM_BAD_BANK, iosim_read_inputs(kBase, -1, &v));
  EXPECT_EQ(IOSIM_BAD_BANK, iosim_drive_inputs(kBase, 3, 1, 1));
  EXPECT_EQ(IOSIM_BAD_BANK, iosim_release_inputs(kBase, 1, 1));
}

TEST_F(KestanCard, ControlRegisterReadsAllOnesAndTimerWritesLeaveTheLinesAlone) {
  io_out8(kBase + 7, 0x36);
  io_out8(kBase + 4, 0xE8);
  io_out8(kBase + 4, 0x03);
  EXPECT_EQ(0xFF, io_in8(kBase + 7));
  EXPECT_EQ(0u, outputs());
}

// The timer counts the 1 MHz oscillator: one pulse per microsecond.
TEST_F(KestanCard, TimerCountsMicrosecondsOfTheSimulatorClock) {
  // Plugged on a stopped clock, the card's oscillator starts at a known phase.
  ASSERT_EQ(IOSIM_OK, iosim_unplug(kBase));
  iosim_clock_manual(1);
  ASSERT_EQ(IOSIM_OK, iosim_plug("kestan", kBase));
  io_out8(kBase + 7, 0x74);  // counter 1, low then high byte, mode 2
  io_out8(kBase + 5, 0xE8);
  io_out8(kBase + 5, 0x03);  // 1000
  iosim_clock_advance_ns(1000);        // the load pulse
  iosim_clock_advance_ns(250 * 1000);  // 250 counts
  io_out8(kBase + 7, 0x40);
  unsigned low = io_in8(kBase + 5);
  unsigned high = io_in8(kBase + 5);
  EXPECT_EQ(750u, low | high << 8);
  // 999 ns more is not yet a pulse; one more ns is.
  iosim_clock_advance_ns(999);
  io_out8(kBase + 7, 0x40);
  low = io_in8(kBase + 5);
  high = io_in8(kBase + 5);
  EXPECT_EQ(750u, low | high << 8);
  iosim_clock_advance_ns(1);
  io_out8(kBase + 7, 0x40);
  low = io_in8(kBase + 5);
  high = io_in8(kBase + 5);
  EXPECT_EQ(749u, low | high << 8);
  iosim_clock_manual(0);
}

}  // namespace
