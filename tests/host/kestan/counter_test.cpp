// Counter/timer: the control words, the order of every port access, the
// check order, and the count that Read and Stop deliver.
#include "kestan_fixture.h"

namespace kestan_test {
namespace {

constexpr unsigned kB = kRackBase;
constexpr unsigned kControl = kB + 7;

// The card's counter section, counter by counter.
const unsigned kStartBase[3] = {0x30, 0x70, 0xB0};  // + 2 x mode
const unsigned kLatch[3] = {0x00, 0x40, 0x80};
const unsigned kStop[3] = {0x30, 0x70, 0xB0};
const unsigned kData[3] = {kB + 4, kB + 5, kB + 6};

class Counter : public KestanTest {
 protected:
  void SetUp() override {
    KestanTest::SetUp();
    use_card(0, kRackBase);
  }

  // Checks the latch-and-read at the start of the journal entries and gives
  // back the count its two reads make, low byte first.
  static unsigned check_latched_read(const iosim_access *got, int n, int counter) {
    EXPECT_GE(n, 3);
    if (n < 3) return 0;
    EXPECT_EQ(IOSIM_OUT8, got[0].op);
    EXPECT_EQ(kControl, got[0].port);
    EXPECT_EQ(kLatch[counter], got[0].value);
    for (int i = 1; i < 3; ++i) {
      EXPECT_EQ(IOSIM_IN8, got[i].op) << i;
      EXPECT_EQ(kData[counter], got[i].port) << i;
    }
    return got[1].value + 256u * got[2].value;
  }
};

// --- W_Kestan_Timer_Start ---------------------------------------------------

TEST_F(Counter, StartWritesTheControlWordThenTheCountLowByteFirst) {
  for (int counter = 0; counter < 3; ++counter) {
    for (int mode = 0; mode < 6; ++mode) {
      EXPECT_EQ(No_Error, W_Kestan_Timer_Start(counter, mode, 0x1234));
      const Access expected[] = {{IOSIM_OUT8, kControl, static_cast<int>(kStartBase[counter] + 2 * mode)},
                                 {IOSIM_OUT8, kData[counter], 0x34},
                                 {IOSIM_OUT8, kData[counter], 0x12}};
      EXPECT_JOURNAL(expected);
    }
  }
}

TEST_F(Counter, StartUsesOnlyTheLow16BitsOfTheCount) {
  static const Access expected[] = {
      {IOSIM_OUT8, kControl, 0x36}, {IOSIM_OUT8, kB + 4, 0xE8}, {IOSIM_OUT8, kB + 4, 0x03},
      {IOSIM_OUT8, kControl, 0xBA}, {IOSIM_OUT8, kB + 6, 0xFF}, {IOSIM_OUT8, kB + 6, 0xFF},
      {IOSIM_OUT8, kControl, 0x70}, {IOSIM_OUT8, kB + 5, 0x45}, {IOSIM_OUT8, kB + 5, 0x23},
      {IOSIM_OUT8, kControl, 0x34}, {IOSIM_OUT8, kB + 4, 0x00}, {IOSIM_OUT8, kB + 4, 0x00},
  };
  EXPECT_EQ(No_Error, W_Kestan_Timer_Start(0, 3, 1000));
  EXPECT_EQ(No_Error, W_Kestan_Timer_Start(2, 5, 65535));
  EXPECT_EQ(No_Error, W_Kestan_Timer_Start(1, 0, 0x12345));
  EXPECT_EQ(No_Error, W_Kestan_Timer_Start(0, 2, 0xFFFF0000));
  EXPECT_JOURNAL(expected);
}

TEST_F(Counter, StartChecksTheModeBeforeTheCounter) {
  static const int bad_modes[] = {6, 7, -1, INT_MIN, INT_MAX};
  static const int bad_counters[] = {3, -1, 4, INT_MIN, INT_MAX};
  for (int mode : bad_modes) {
    EXPECT_EQ(Invalid_Counter_Mode, W_Kestan_Timer_Start(1, mode, 100)) << mode;
    for (int counter : bad_counters)
      EXPECT_EQ(Invalid_Counter_Mode, W_Kestan_Timer_Start(counter, mode, 100)) << counter;
  }
  for (int counter : bad_counters)
    EXPECT_EQ(Invalid_Counter_Number, W_Kestan_Timer_Start(counter, 0, 100)) << counter;
  EXPECT_NO_PORT_ACCESS();
}

// --- W_Kestan_Timer_Read ----------------------------------------------------

TEST_F(Counter, ReadLatchesThenReadsTheDataRegisterTwiceLowByteFirst) {
  for (int counter = 0; counter < 3; ++counter) {
    ASSERT_EQ(No_Error, W_Kestan_Timer_Start(counter, 2, 0x1234 + 0x1111 * counter));
    iosim_journal_clear();
    unsigned count = kWordSentinel;
    EXPECT_EQ(No_Error, W_Kestan_Timer_Read(counter, &count));
    iosim_access got[8];
    int n = take_journal(got, 8);
    EXPECT_EQ(3, n);
    EXPECT_EQ(check_latched_read(got, n, counter), count) << "counter " << counter;
  }
}

// The card's counters count a 1 MHz clock; with the simulator's clock
// stepped by hand the count is known to within the chip's load cycle.
TEST_F(Counter, ReadAndStopDeliverTheCountingDownCount) {
  iosim_clock_manual(1);
  ASSERT_EQ(No_Error, W_Kestan_Timer_Start(1, 2, 0x1234));
  iosim_clock_advance_ns(0x100 * 1000ull);
  unsigned count = kWordSentinel;
  EXPECT_EQ(No_Error, W_Kestan_Timer_Read(1, &count));
  EXPECT_NEAR(0x1234 - 0x100, static_cast<double>(count), 2);
  iosim_clock_advance_ns(0x1000 * 1000ull);
  count = kWordSentinel;
  EXPECT_EQ(No_Error, W_Kestan_Timer_Stop(1, &count));
  EXPECT_NEAR(0x1234 - 0x1100, static_cast<double>(count), 2);
}

TEST_F(Counter, ReadOfACounterNeverStartedIsAllowed) {
  static const Access expected[] = {
      {IOSIM_OUT8, 0x300 + 7, 0x80}, {IOSIM_IN8, 0x300 + 6, 0xFF}, {IOSIM_IN8, 0x300 + 6, 0xFF}};
  // No card answers at 300H: the bus floats high.
  use_card(1, 0x300);
  unsigned count = kWordSentinel;
  EXPECT_EQ(No_Error, W_Kestan_Timer_Read(2, &count));
  EXPECT_EQ(0xFFFFu, count);
  EXPECT_JOURNAL(expected);
}

TEST_F(Counter, ReadRefusesBadCountersThenANullPointer) {
  static const int bad_counters[] = {3, -1, INT_MIN, INT_MAX};
  for (int counter : bad_counters) {
    unsigned count = kWordSentinel;
    EXPECT_EQ(Invalid_Counter_Number, W_Kestan_Timer_Read(counter, &count)) << counter;
    EXPECT_EQ(Invalid_Counter_Number, W_Kestan_Timer_Read(counter, nullptr)) << counter;
    EXPECT_EQ(kWordSentinel, count);
  }
  EXPECT_EQ(Invalid_Pointer, W_Kestan_Timer_Read(0, nullptr));
  EXPECT_NO_PORT_ACCESS();
}

// --- W_Kestan_Timer_Stop ----------------------------------------------------

TEST_F(Counter, StopReadsTheCountThenReloadsTheCounterWith1InMode0) {
  for (int counter = 0; counter < 3; ++counter) {
    ASSERT_EQ(No_Error, W_Kestan_Timer_Start(counter, 3, 0x2345));
    iosim_journal_clear();
    unsigned count = kWordSentinel;
    EXPECT_EQ(No_Error, W_Kestan_Timer_Stop(counter, &count));
    iosim_access got[8];
    int n = take_journal(got, 8);
    ASSERT_EQ(6, n) << "counter " << counter;
    EXPECT_EQ(check_latched_read(got, n, counter), count) << "counter " << counter;
    const iosim_access reload[] = {{IOSIM_OUT8, static_cast<unsigned short>(kControl),
                                    static_cast<unsigned short>(kStop[counter])},
                                   {IOSIM_OUT8, static_cast<unsigned short>(kData[counter]), 1},
                                   {IOSIM_OUT8, static_cast<unsigned short>(kData[counter]), 0}};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(reload[i].op, got[3 + i].op) << i;
      EXPECT_EQ(reload[i].port, got[3 + i].port) << i;
      EXPECT_EQ(reload[i].value, got[3 + i].value) << i;
    }
  }
}

TEST_F(Counter, StopRefusesBadCountersThenANullPointer) {
  static const int bad_counters[] = {-1, 3, INT_MIN, INT_MAX};
  for (int counter : bad_counters) {
    unsigned count = kWordSentinel;
    EXPECT_EQ(Invalid_Counter_Number, W_Kestan_Timer_Stop(counter, &count)) << counter;
    EXPECT_EQ(Invalid_Counter_Number, W_Kestan_Timer_Stop(counter, nullptr)) << counter;
    EXPECT_EQ(kWordSentinel, count);
  }
  EXPECT_EQ(Invalid_Pointer, W_Kestan_Timer_Stop(2, nullptr));
  EXPECT_NO_PORT_ACCESS();
}

}  // namespace
}  // namespace kestan_test
