#include <gtest/gtest.h>

#include "iosim.h"
#include "port_sequence.h"
#include "sarrow.h"

extern "C" void sarrow_reset_card_table(void);

namespace {

constexpr int kBase = 0x318;
constexpr int IN16 = IOSIM_IN16, OUT16 = IOSIM_OUT16;

struct Sarrow : ::testing::Test {
  void SetUp() override {
    sarrow_reset_card_table();
    iosim_reset();
    iosim_journal_clear();
  }
  void init() {
    ASSERT_EQ(Sarrow_No_Error, W_Sarrow_Initial(0, kBase));
    iosim_journal_clear();
  }
};

TEST_F(Sarrow, InitialPlugsACardInEightPortsUnderTheAddressRules) {
  ASSERT_EQ(0, iosim_load_rack("kestan@2A8")) << "a PC with a Kestan card at 2A8H";
  EXPECT_EQ(Sarrow_Invalid_Card_Number, W_Sarrow_Initial(4, kBase));
  EXPECT_EQ(Sarrow_Invalid_Base_Address, W_Sarrow_Initial(0, 0x31C));
  EXPECT_EQ(Sarrow_Invalid_Base_Address, W_Sarrow_Initial(0, 0x400));
  EXPECT_EQ(Sarrow_Ports_In_Use, W_Sarrow_Initial(0, 0x2A8)) << "the Kestan card's ports";
  EXPECT_EQ(Sarrow_No_Error, W_Sarrow_Initial(0, kBase));
  EXPECT_EQ(Sarrow_Base_Address_In_Use, W_Sarrow_Initial(3, kBase));
  char kind[16] = "";
  EXPECT_EQ(kBase, iosim_card_at(kBase + 7, kind, sizeof kind));
  EXPECT_STREQ("sarrow", kind);
  EXPECT_EQ(-1, iosim_card_at(kBase + 8, kind, sizeof kind));
  EXPECT_NO_PORTS();
  EXPECT_EQ(Sarrow_No_Error, W_Sarrow_Initial(1, 0x3F8));
  int card = -1;
  EXPECT_EQ(Sarrow_No_Error, W_Sarrow_Get_Card(&card));
  EXPECT_EQ(1, card);
  EXPECT_EQ(Sarrow_No_Error, W_Sarrow_Set_Card(0));
  EXPECT_EQ(Sarrow_Card_Not_Initial, W_Sarrow_Set_Card(2));
}

TEST_F(Sarrow, AFreeCurrentCardIsRefusedAndNothingIsStored) {
  unsigned word = 7;
  EXPECT_EQ(Sarrow_Card_Not_Initial, W_Sarrow_DI(&word));
  EXPECT_EQ(Sarrow_Card_Not_Initial, W_Sarrow_DO(0xFFFF));
  EXPECT_EQ(Sarrow_Card_Not_Initial, W_Sarrow_Read_Back(&word));
  EXPECT_EQ(7u, word);
  EXPECT_NO_PORTS();
}

TEST_F(Sarrow, OutputsGoOutAsOneWordAndComeBackOverTheCable) {
  init();
  EXPECT_EQ(Sarrow_No_Error, W_Sarrow_DO(0x18001));
  unsigned word = 0;
  EXPECT_EQ(Sarrow_No_Error, W_Sarrow_DI(&word));
  EXPECT_EQ(Sarrow_No_Error, W_Sarrow_DO_Channel(15, 0));
  EXPECT_EQ(Sarrow_No_Error, W_Sarrow_DO_Channel(4, 1));
  int bit = -1;
  EXPECT_EQ(Sarrow_No_Error, W_Sarrow_DI_Channel(4, &bit));
  const iosim_access ports[] = {{OUT16, kBase, 0x8001}, {IN16, kBase, 0x8001},
                                {OUT16, kBase, 0x0001}, {OUT16, kBase, 0x0011},
                                {IN8, kBase, 0x11}};
  EXPECT_PORTS(ports);
  EXPECT_EQ(0x8001u, word);
  EXPECT_EQ(1, bit);
  EXPECT_EQ(Sarrow_No_Error, W_Sarrow_Read_Back(&word));
  EXPECT_EQ(0x0011u, word);
  EXPECT_EQ(Sarrow_Invalid_Channel_Number, W_Sarrow_DO_Channel(16, 1));
  EXPECT_EQ(Sarrow_Invalid_DO_Value, W_Sarrow_DO_Channel(0, 0x102 & 0xFF));
  EXPECT_EQ(Sarrow_Invalid_Pointer, W_Sarrow_DI(nullptr));
  EXPECT_NO_PORTS();
  EXPECT_EQ(IOSIM_OK, iosim_set_loopback(kBase, 0));
  W_Sarrow_DI(&word);
  EXPECT_EQ(0xFFFFu, word) << "without the cable the inputs float high";
}

}  // namespace
