// wendal library on the simulated PC: two channels, the sampling clock's
// port sequences and divisors.
#include <gtest/gtest.h>

#include <climits>

#include "iosim.h"
#include "port_sequence.h"
#include "wendal.h"

namespace {


constexpr int kBase = 0x300;

unsigned short lo(unsigned v) { return static_cast<unsigned short>(v & 0xFF); }
unsigned short hi(unsigned v) { return static_cast<unsigned short>(v >> 8); }

struct Wendal : ::testing::Test {
  void SetUp() override {
    for (int card = 0; card < 8; ++card) W_Wendal_Initial(card, 0, 3);
    iosim_reset();
    iosim_journal_clear();
  }
  void TearDown() override {
    for (int card = 0; card < 8; ++card) W_Wendal_Initial(card, 0, 3);
    iosim_clock_manual(0);
  }
  void init() {
    ASSERT_EQ(No_Error, W_Wendal_Initial(0, kBase, 5));
    iosim_journal_clear();
  }
};

TEST_F(Wendal, InitialSetsBothChannelsToInputsAndIdlesTheClock) {
  EXPECT_EQ(No_Error, W_Wendal_Initial(0, kBase, 5));
  const iosim_access power_up[] = {
      {OUT8, 0x303, 0x9B}, {OUT8, 0x307, 0x9B}, {OUT8, 0x30B, 0xB4}, {OUT8, 0x30B, 0x74},
  };
  EXPECT_PORTS(power_up);
  char kind[16] = "";
  EXPECT_EQ(kBase, iosim_card_at(kBase + 11, kind, sizeof kind));
  EXPECT_STREQ("wendal", kind);
  EXPECT_EQ(-1, iosim_card_at(kBase + 12, kind, sizeof kind));
  EXPECT_EQ(No_Error, W_Wendal_Initial(1, 0x3F4, 3)) << "even bases up to 3F4H";
  EXPECT_EQ(Invalid_Base_Address, W_Wendal_Initial(2, 0x3F6, 3));
  EXPECT_EQ(Invalid_Base_Address, W_Wendal_Initial(2, 0x301, 3));
  EXPECT_EQ(Base_Address_In_Use, W_Wendal_Initial(2, 0x30A, 3));
  EXPECT_EQ(No_Error, W_Wendal_Initial(2, 0x30C, 3));
}

// A move onto ports that another card holds is refused and keeps the old
// base, with its card as it was; a move that overlaps only the card's own old
// range goes through (the simulator then puts the card at the new base).
TEST_F(Wendal, MovingOntoAnotherCardIsRefusedAndKeepsTheOldBase) {
  init();
  ASSERT_EQ(No_Error, W_Wendal_DO_Port(256, 0x5A));
  ASSERT_EQ(No_Error, W_Wendal_Initial(1, 0x310, 5));
  iosim_journal_clear();
  EXPECT_EQ(Base_Address_In_Use, W_Wendal_Initial(0, 0x306, 5)) << "306H-311H meets card 1";
  EXPECT_NO_PORTS();
  ASSERT_EQ(No_Error, W_Wendal_Set_Card(0));
  unsigned char v = 0;
  EXPECT_EQ(No_Error, W_Wendal_DI_Port(0, &v));
  EXPECT_EQ(0x5A, v) << "the card at 300H kept its output latch";

  EXPECT_EQ(No_Error, W_Wendal_Initial(0, 0x302, 5));
  char kind[16] = "";
  EXPECT_EQ(0x302, iosim_card_at(0x30D, kind, sizeof kind));
  EXPECT_STREQ("wendal", kind);
  iosim_journal_clear();
  EXPECT_EQ(No_Error, W_Wendal_DO_Port(0, 0x01));
  const iosim_access at_302[] = {{OUT8, 0x305, 0x8B}, {OUT8, 0x302, 0x01}};
  EXPECT_PORTS(at_302);
}

TEST_F(Wendal, PortCodesOfBothChannelsAndTheCableBetweenThem) {
  init();
  EXPECT_EQ(No_Error, W_Wendal_DO_Port(256, 0x42));
  unsigned char v = 0;
  EXPECT_EQ(No_Error, W_Wendal_DI_Port(0, &v));
  EXPECT_EQ(0x42, v);
  EXPECT_EQ(No_Error, W_Wendal_DO_Port(4, 0x6));
  EXPECT_EQ(No_Error, W_Wendal_DI_Port(260, &v));
  EXPECT_EQ(0x6, v);
  const iosim_access seq[] = {
      {OUT8, 0x307, 0x8B}, {OUT8, 0x304, 0x42}, {IN8, 0x300, 0x42},
      {OUT8, 0x303, 0x9A}, {OUT8, 0x302, 0x06}, {IN8, 0x306, 0xF6},
  };
  EXPECT_PORTS(seq);
  for (int code : {512, 261, -1}) EXPECT_EQ(Invalid_Port_Code, W_Wendal_DO_Port(code, 0)) << code;
  EXPECT_NO_PORTS();
}

TEST_F(Wendal, ClockStartLoadsCounterTwoThenCounterOneInModeTwo) {
  EXPECT_EQ(Card_Not_Initial, W_Wendal_Clock_Start(20, 250));
  EXPECT_EQ(Card_Not_Initial, W_Wendal_Clock_Stop());
  init();
  EXPECT_EQ(No_Error, W_Wendal_Clock_Start(20, 250));
  EXPECT_EQ(No_Error, W_Wendal_Clock_Stop());
  const iosim_access seq[] = {
      {OUT8, 0x30B, 0xB4}, {OUT8, 0x30A, 0xFA}, {OUT8, 0x30A, 0x00},
      {OUT8, 0x30B, 0x74}, {OUT8, 0x309, 0x14}, {OUT8, 0x309, 0x00},
      {OUT8, 0x30B, 0xB4}, {OUT8, 0x30B, 0x74},
  };
  EXPECT_PORTS(seq);
}

// The read of each counter is the latch command, then the count's low and
// high byte; counter 2 of a running clock (divisor 2 x 1000) has counted down
// by one per two clock periods.
TEST_F(Wendal, CounterReadLatchesThenReadsLowByteThenHighByte) {
  constexpr unsigned kUnset = 0xDEADBEEF;
  unsigned count = kUnset;
  EXPECT_EQ(Card_Not_Initial, W_Wendal_Counter_Read(2, &count));
  init();
  for (int counter : {3, -1, INT_MIN}) EXPECT_EQ(Invalid_Counter_Number, W_Wendal_Counter_Read(counter, &count));
  EXPECT_EQ(Invalid_Counter_Number, W_Wendal_Counter_Read(3, nullptr)) << "the counter is checked first";
  EXPECT_EQ(Invalid_Pointer, W_Wendal_Counter_Read(0, nullptr));
  EXPECT_EQ(kUnset, count);
  EXPECT_NO_PORTS();

  iosim_clock_manual(1);
  ASSERT_EQ(No_Error, W_Wendal_Clock_Start(2, 1000));
  iosim_clock_advance_ns(200 * 1000);  // 400 periods of 2,000,000 Hz
  iosim_journal_clear();
  const struct {
    int counter;
    uint8_t latch;
    unsigned short port;
  } reads[] = {{0, 0x00, 0x308}, {1, 0x40, 0x309}, {2, 0x80, 0x30A}};
  for (const auto &r : reads) {
    count = kUnset;
    EXPECT_EQ(No_Error, W_Wendal_Counter_Read(r.counter, &count)) << r.counter;
    const iosim_access seq[] = {{OUT8, 0x30B, r.latch}, {IN8, r.port, lo(count)}, {IN8, r.port, hi(count)}};
    EXPECT_PORTS(seq);
  }
  EXPECT_NEAR(1000 - 200, static_cast<double>(count), 2);
}

TEST_F(Wendal, DivisorsThatDoNotFitAreSplitAnotherWayOrRefused) {
  init();
  const struct {
    int d1, d2;
    int result;
    unsigned count2, count1;  // as loaded (65536 as 0)
  } cases[] = {
      {20, 100000, No_Error, 62500, 32},  // the sample's rate 1 Hz
      {1, 6, No_Error, 3, 2},
      {1, 65536, No_Error, 32768, 2},
      {65536, 65536, No_Error, 0, 0},
      {20, 6, No_Error, 6, 20},
      {0, 5, Invalid_Clock_Divisor, 0, 0},
      {5, -1, Invalid_Clock_Divisor, 0, 0},
      {1, 3, Invalid_Clock_Divisor, 0, 0},      // 3 is no product of two counts of 2 or more
      {2, 65537, Invalid_Clock_Divisor, 0, 0},  // 65537 is prime
  };
  for (const auto &k : cases) {
    EXPECT_EQ(k.result, W_Wendal_Clock_Start(k.d1, k.d2)) << k.d1 << " x " << k.d2;
    if (k.result != No_Error) {
      EXPECT_NO_PORTS();
      continue;
    }
    const iosim_access seq[] = {
        {OUT8, 0x30B, 0xB4}, {OUT8, 0x30A, lo(k.count2)}, {OUT8, 0x30A, hi(k.count2)},
        {OUT8, 0x30B, 0x74}, {OUT8, 0x309, lo(k.count1)}, {OUT8, 0x309, hi(k.count1)},
    };
    EXPECT_PORTS(seq);
  }
}

}  // namespace
