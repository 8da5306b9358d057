// The journal: every access in order, with its width and the value moved.
#include <gtest/gtest.h>

#include <vector>

#include "iosim.h"
#include "journal_check.h"

namespace {

class Journal : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, iosim_load_rack("kestan@2A8"));
    iosim_journal_enable(1);
    iosim_journal_clear();
  }
  void TearDown() override {
    iosim_journal_enable(1);
    iosim_reset();
  }
};

TEST_F(Journal, RecordsEachAccessInOrderWithWidthAndValue) {
  io_out8(0x2A8, 0x12);
  io_out16(0x2AA, 0xBEEF);
  io_in8(0x2A8);
  io_in16(0x2AA);
  io_in16(0x2A7);   // straddles the card edge: still one journal entry
  io_in8(0x3F0);    // nothing there
  io_out8(0x3F0, 0x01);
  const iosim_access expected[] = {
      {IOSIM_OUT8, 0x2A8, 0x12},   {IOSIM_OUT16, 0x2AA, 0xBEEF}, {IOSIM_IN8, 0x2A8, 0x12},
      {IOSIM_IN16, 0x2AA, 0xBEEF}, {IOSIM_IN16, 0x2A7, 0x12FF},  {IOSIM_IN8, 0x3F0, 0xFF},
      {IOSIM_OUT8, 0x3F0, 0x01},
  };
  EXPECT_JOURNAL(expected);
  EXPECT_EQ(7ul, iosim_journal_total());
}

TEST_F(Journal, ClearEmptiesItAndReadStopsAtMax) {
  for (int i = 0; i < 5; ++i) io_out8(0x2A8, static_cast<unsigned char>(i));
  iosim_access two[2];
  ASSERT_EQ(2, iosim_journal_read(two, 2));
  EXPECT_EQ(0, two[0].value);
  EXPECT_EQ(1, two[1].value);
  EXPECT_EQ(0, iosim_journal_read(two, 0));
  EXPECT_EQ(0, iosim_journal_read(nullptr, 2));
  iosim_journal_clear();
  EXPECT_EQ(0ul, iosim_journal_total());
  EXPECT_EQ(0, iosim_journal_read(two, 2));
}

TEST_F(Journal, KeepsTheNewestCapacityAccessesWhenItOverflows) {
  const unsigned extra = 10;
  for (unsigned i = 0; i < IOSIM_JOURNAL_CAPACITY + extra; ++i)
    io_out16(0x2A8, static_cast<unsigned short>(i));
  EXPECT_EQ(static_cast<unsigned long>(IOSIM_JOURNAL_CAPACITY + extra), iosim_journal_total());
  std::vector<iosim_access> got = simtest::journal();
  ASSERT_EQ(static_cast<size_t>(IOSIM_JOURNAL_CAPACITY), got.size());
  EXPECT_EQ(static_cast<unsigned short>(extra), got.front().value);
  EXPECT_EQ(static_cast<unsigned short>(IOSIM_JOURNAL_CAPACITY + extra - 1), got.back().value);
  for (size_t i = 1; i < got.size(); ++i)
    ASSERT_EQ(static_cast<unsigned short>(got[i - 1].value + 1), got[i].value) << "at " << i;
}

TEST_F(Journal, OffRecordsNothingButTheAccessesStillHappen) {
  io_out8(0x2A8, 0x01);
  iosim_journal_enable(0);
  io_out8(0x2A9, 0x22);
  EXPECT_EQ(0x22, io_in8(0x2A9));
  iosim_journal_enable(1);
  io_in8(0x2A8);
  const iosim_access expected[] = {{IOSIM_OUT8, 0x2A8, 0x01}, {IOSIM_IN8, 0x2A8, 0x01}};
  EXPECT_JOURNAL(expected);
  EXPECT_EQ(2ul, iosim_journal_total());
}

}  // namespace
