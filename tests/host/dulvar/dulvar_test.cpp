// dulvar library on the simulated PC: six channels, port codes, the cable
// between channel pairs, and the interrupt transfer as the Dulvar interrupt
// sample drives it.
#include <gtest/gtest.h>

#include "dulvar.h"
#include "ioport.h"
#include "iosim.h"
#include "port_sequence.h"

namespace {


constexpr int kBase = 0x2C0;

int g_pattern[32768];
int g_input[32768];

struct Dulvar : ::testing::Test {
  void SetUp() override {
    for (int card = 0; card < 8; ++card) W_Dulvar_Initial(card, 0, 3);
    iosim_reset();
    iosim_journal_clear();
  }
  void TearDown() override {
    for (int card = 0; card < 8; ++card) W_Dulvar_Initial(card, 0, 3);
  }
};

TEST_F(Dulvar, InitialSetsAllSixChannelsToInputs) {
  EXPECT_EQ(No_Error, W_Dulvar_Initial(0, kBase, 15));
  const iosim_access power_up[] = {
      {OUT8, 0x2C3, 0x9B}, {OUT8, 0x2C7, 0x9B}, {OUT8, 0x2CB, 0x9B},
      {OUT8, 0x2CF, 0x9B}, {OUT8, 0x2D3, 0x9B}, {OUT8, 0x2D7, 0x9B},
  };
  EXPECT_PORTS(power_up);
  char kind[16] = "";
  EXPECT_EQ(kBase, iosim_card_at(kBase + 23, kind, sizeof kind));
  EXPECT_STREQ("dulvar", kind);
}

TEST_F(Dulvar, BaseAddressesKeepAll24PortsBelow400H) {
  EXPECT_EQ(No_Error, W_Dulvar_Initial(0, 0x3E8, 3));
  EXPECT_EQ(Invalid_Base_Address, W_Dulvar_Initial(1, 0x3F0, 3)) << "would reach 407H";
  EXPECT_EQ(Invalid_Base_Address, W_Dulvar_Initial(1, 0x204, 3));
  EXPECT_EQ(No_Error, W_Dulvar_Initial(1, 0x200, 3));
  EXPECT_EQ(Base_Address_In_Use, W_Dulvar_Initial(2, 0x210, 3)) << "inside card 1's 24 ports";
  EXPECT_EQ(No_Error, W_Dulvar_Initial(2, 0x218, 3));
}

TEST_F(Dulvar, PortCodeSelectsChannelAndGroup) {
  ASSERT_EQ(No_Error, W_Dulvar_Initial(0, kBase, 3));
  iosim_journal_clear();
  EXPECT_EQ(No_Error, W_Dulvar_DO_Port(1283, 0x9));  // channel 5, C upper
  EXPECT_EQ(No_Error, W_Dulvar_DO_Port(513, 0x2));   // channel 2, Port B
  unsigned char v = 0;
  EXPECT_EQ(No_Error, W_Dulvar_DI_Port(1284, &v));  // channel 5, C lower
  const iosim_access seq[] = {
      {OUT8, 0x2D7, 0x93}, {OUT8, 0x2D6, 0x90},
      {OUT8, 0x2CB, 0x99}, {OUT8, 0x2C9, 0x02},
      {IN8, 0x2D6, 0x9F},
  };
  EXPECT_PORTS(seq);
  EXPECT_EQ(0xF, v);
  for (int code : {1536, 1285, 5, -256}) EXPECT_EQ(Invalid_Port_Code, W_Dulvar_DI_Port(code, &v)) << code;
  EXPECT_NO_PORTS();
}

TEST_F(Dulvar, TheCableCarriesEachEvenChannelToTheNextOne) {
  ASSERT_EQ(No_Error, W_Dulvar_Initial(0, kBase, 3));
  const struct {
    int out_code, in_code;
    unsigned value, seen;
  } joins[] = {
      {0, 256, 0x12, 0x12}, {257, 1, 0x34, 0x34}, {516, 772, 0x5, 0x5},
      {1027, 1283, 0xA, 0xA}, {1280, 1024, 0x77, 0x77}, {2, 258, 0x81, 0x81},
  };
  for (const auto &j : joins) {
    EXPECT_EQ(No_Error, W_Dulvar_DO_Port(j.out_code, j.value));
    unsigned char v = 0;
    EXPECT_EQ(No_Error, W_Dulvar_DI_Port(j.in_code, &v));
    EXPECT_EQ(j.seen, v) << j.out_code << " -> " << j.in_code;
  }
}

// Setup OK of the Dulvar sample, then its Interrupt Trigger.
void arm_as_the_sample(int n) {
  for (int i = 0; i < n; ++i) {
    g_pattern[i] = i;
    g_input[i] = 0;
  }
  ASSERT_EQ(No_Error, W_Dulvar_Initial(0, kBase, 15));
  ASSERT_EQ(No_Error, W_Dulvar_INT_Setup());
  ASSERT_EQ(No_Error, W_Dulvar_INT_Buffer(0, 2, g_pattern, n));
  ASSERT_EQ(No_Error, W_Dulvar_INT_Buffer(256, 1, g_input, n));
  io_out8(kBase + 3, 0x80);
  ASSERT_EQ(No_Error, W_Dulvar_INT_Start(n));
}

void trigger(int *status, int *count) {
  io_out8(kBase + 2, 0x08);
  io_out8(kBase + 2, 0x00);
  ASSERT_EQ(No_Error, W_Dulvar_INT_Status(status, count));
}

TEST_F(Dulvar, TransferGathersThePatternSlotBySlotAtTheSamplesLevel) {
  arm_as_the_sample(20);
  int status = -1, count = -1;
  for (int i = 1; i <= 20; ++i) {
    trigger(&status, &count);
    ASSERT_EQ(i, count);
    EXPECT_EQ(i < 20 ? 1 : 0, status);
    EXPECT_EQ(i - 1, g_input[i - 1]);
  }
  int stopped = -1;
  EXPECT_EQ(No_Error, W_Dulvar_INT_Stop(&stopped));
  EXPECT_EQ(20, stopped);
  // Later triggers of the sample: status stays 0, stop may come again.
  trigger(&status, &count);
  EXPECT_EQ(0, status);
  EXPECT_EQ(20, count);
  EXPECT_EQ(No_Error, W_Dulvar_INT_Stop(&stopped));
  EXPECT_EQ(20, stopped);
}

TEST_F(Dulvar, SecondSetupStartsANewTransferFromSlotZero) {
  arm_as_the_sample(10);
  int status = -1, count = -1;
  for (int i = 0; i < 4; ++i) trigger(&status, &count);
  ASSERT_EQ(4, count);
  arm_as_the_sample(10);  // the same base again: a fresh transfer
  ASSERT_EQ(No_Error, W_Dulvar_INT_Status(&status, &count));
  EXPECT_EQ(1, status);
  EXPECT_EQ(0, count);
  for (int i = 0; i < 10; ++i) trigger(&status, &count);
  EXPECT_EQ(0, status);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(i, g_input[i]);
}

TEST_F(Dulvar, PulsesForACardNeverInitialisedReachNoOne) {
  int status = 0, count = 5;
  io_out8(kBase + 2, 0x08);
  io_out8(kBase + 2, 0x00);
  EXPECT_EQ(Card_Not_Initial, W_Dulvar_INT_Status(&status, &count));
  EXPECT_EQ(Transfer_Not_Armed, status);
  EXPECT_EQ(0, count);
  int stopped = 5;
  EXPECT_EQ(Card_Not_Initial, W_Dulvar_INT_Stop(&stopped));
  EXPECT_EQ(5, stopped);
}

}  // namespace
