// The Kestan card with the counting fixture, next to a plain Kestan card:
// the count steps on every read of input port 0 and on nothing else; the
// plain card still feeds its outputs back.
#include <gtest/gtest.h>

#include "iosim.h"

namespace {

const unsigned short kCounting = 0x2A8;
const unsigned short kPlain = 0x300;

class KestanCountingCard : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(0, iosim_load_rack("kestan_counter@2A8, kestan@300")); }
  void TearDown() override { iosim_reset(); }

  unsigned inputs(unsigned short base) {
    unsigned v = 0xDEADBEEF;
    EXPECT_EQ(IOSIM_OK, iosim_read_inputs(base, 0, &v));
    return v;
  }
};

TEST_F(KestanCountingCard, IsAKestanCardToItsDriver) {
  char kind[16] = "";
  EXPECT_EQ(kCounting, iosim_card_at(kCounting + 7, kind, sizeof kind));
  EXPECT_STREQ("kestan", kind);
  EXPECT_EQ(IO_CLAIM_OK, io_claim(kCounting, 8, "kestan"));
}

TEST_F(KestanCountingCard, EveryReadOfPortZeroStepsTheCount) {
  EXPECT_EQ(0u, inputs(kCounting));  // looking steps nothing
  EXPECT_EQ(1, io_in16(kCounting));
  EXPECT_EQ(2, io_in16(kCounting));
  EXPECT_EQ(3, io_in8(kCounting));
  EXPECT_EQ(3u, inputs(kCounting));
  // The other ports show the count reached and step nothing.
  EXPECT_EQ(0, io_in16(kCounting + 2));
  EXPECT_EQ(0, io_in8(kCounting + 1));
  EXPECT_EQ(4, io_in8(kCounting));
  // Outputs do not reach the inputs.
  io_out16(kCounting, 0xFF00);
  io_out16(kCounting + 2, 0xFFFF);
  EXPECT_EQ(5, io_in16(kCounting));
  EXPECT_EQ(0, io_in16(kCounting + 2));
  unsigned out = 0;
  ASSERT_EQ(IOSIM_OK, iosim_read_outputs(kCounting, 0, &out));
  EXPECT_EQ(0xFFFFFF00u, out);
}

TEST_F(KestanCountingCard, CarriesIntoTheHighWord) {
  for (int i = 0; i < 0xFFFF; ++i) io_in8(kCounting);
  EXPECT_EQ(0x0000FFFFu, inputs(kCounting));
  EXPECT_EQ(0x0000, io_in16(kCounting));
  EXPECT_EQ(0x0001, io_in16(kCounting + 2));
  EXPECT_EQ(0x01, io_in8(kCounting + 2));
}

TEST_F(KestanCountingCard, DrivenLinesAndAPulledFixtureOverrideTheCount) {
  ASSERT_EQ(IOSIM_OK, iosim_drive_inputs(kCounting, 0, 0x0000FF00u, 0x0000AB00u));
  EXPECT_EQ(0xAB01, io_in16(kCounting));
  EXPECT_EQ(0xAB02, io_in16(kCounting));
  ASSERT_EQ(IOSIM_OK, iosim_set_loopback(kCounting, 0));
  EXPECT_EQ(0xABFF, io_in16(kCounting));
  EXPECT_EQ(0xFFFFABFFu, inputs(kCounting));
  // Back in, the fixture shows the count it kept on stepping.
  ASSERT_EQ(IOSIM_OK, iosim_set_loopback(kCounting, 1));
  EXPECT_EQ(0xAB04, io_in16(kCounting));
}

TEST_F(KestanCountingCard, ThePlainCardBesideItStillLoopsBack) {
  io_out16(kPlain, 0x1234);
  io_out16(kPlain + 2, 0x5678);
  EXPECT_EQ(0x1234, io_in16(kPlain));
  EXPECT_EQ(0x1234, io_in16(kPlain));
  EXPECT_EQ(0x5678, io_in16(kPlain + 2));
  EXPECT_EQ(0x56781234u, inputs(kPlain));
}

}  // namespace
