#include <gtest/gtest.h>

#include "iosim.h"
#include "orvel.h"
#include "port_sequence.h"

extern "C" void orvel_reset_card_table(void);

namespace {

constexpr int kBase = 0x300;
constexpr int IN16 = IOSIM_IN16, OUT16 = IOSIM_OUT16;

struct Orvel : ::testing::Test {
  void SetUp() override {
    orvel_reset_card_table();
    iosim_reset();
    iosim_journal_clear();
  }
  void init() {
    ASSERT_EQ(Orvel_No_Error, W_Orvel_Initial(0, kBase));
    iosim_journal_clear();
  }
};

TEST_F(Orvel, InitialPlugsACardInSixteenPortsAndTouchesNoPort) {
  EXPECT_EQ(Orvel_No_Error, W_Orvel_Initial(2, kBase));
  char kind[16] = "";
  EXPECT_EQ(kBase, iosim_card_at(kBase + 15, kind, sizeof kind));
  EXPECT_STREQ("orvel", kind);
  EXPECT_EQ(-1, iosim_card_at(kBase + 16, kind, sizeof kind));
  EXPECT_NO_PORTS();
  int card = -1;
  EXPECT_EQ(Orvel_No_Error, W_Orvel_Get_Card(&card));
  EXPECT_EQ(2, card);
  EXPECT_EQ(Orvel_No_Error, W_Orvel_Initial(2, kBase)) << "again at its own address";
}

TEST_F(Orvel, InitialChecksCardAddressAndOwnersInOrderAndChangesNothingOnFailure) {
  ASSERT_EQ(0, iosim_load_rack("kestan@2A8")) << "a PC with a Kestan card at 2A8H";
  EXPECT_EQ(Orvel_Invalid_Card_Number, W_Orvel_Initial(4, 0x999));
  EXPECT_EQ(Orvel_Invalid_Card_Number, W_Orvel_Initial(-1, kBase));
  EXPECT_EQ(Orvel_Invalid_Base_Address, W_Orvel_Initial(0, 0x1F0));
  EXPECT_EQ(Orvel_Invalid_Base_Address, W_Orvel_Initial(0, 0x400));
  EXPECT_EQ(Orvel_Invalid_Base_Address, W_Orvel_Initial(0, 0x308));
  EXPECT_EQ(Orvel_No_Error, W_Orvel_Initial(0, 0x3F0));
  EXPECT_EQ(Orvel_Base_Address_In_Use, W_Orvel_Initial(1, 0x3F0));
  // 2A0H to 2AFH holds the Kestan card at 2A8H.
  EXPECT_EQ(Orvel_Ports_In_Use, W_Orvel_Initial(1, 0x2A0));
  char kind[16] = "";
  EXPECT_EQ(0x2A8, iosim_card_at(0x2A8, kind, sizeof kind));
  EXPECT_STREQ("kestan", kind);
  EXPECT_EQ(Orvel_Card_Not_Initial, W_Orvel_Set_Card(1)) << "slot 1 stayed free";
  int card = -1;
  EXPECT_EQ(Orvel_No_Error, W_Orvel_Get_Card(&card));
  EXPECT_EQ(0, card);
  // A card moved onto ports it cannot claim is not left driving its old base.
  EXPECT_EQ(Orvel_Ports_In_Use, W_Orvel_Initial(0, 0x2A0));
  EXPECT_EQ(Orvel_Card_Not_Initial, W_Orvel_DO_16(0, 1));
  EXPECT_EQ(Orvel_No_Error, W_Orvel_Initial(1, 0x3F0)) << "its old ports were given back";
  EXPECT_EQ(Orvel_Invalid_Pointer, W_Orvel_Get_Card(nullptr));
}

TEST_F(Orvel, EveryCallRefusesAFreeCurrentCardBeforeItsArguments) {
  int card = -1;
  unsigned word = 7;
  unsigned char byte = 7;
  EXPECT_EQ(Orvel_Card_Not_Initial, W_Orvel_Get_Card(&card));
  EXPECT_EQ(Orvel_Card_Not_Initial, W_Orvel_Set_Card(0));
  EXPECT_EQ(Orvel_Invalid_Card_Number, W_Orvel_Set_Card(4));
  EXPECT_EQ(Orvel_Card_Not_Initial, W_Orvel_DI_16(9, &word));
  EXPECT_EQ(Orvel_Card_Not_Initial, W_Orvel_DI_8(0, &byte));
  EXPECT_EQ(Orvel_Card_Not_Initial, W_Orvel_DO_16(0, 1));
  EXPECT_EQ(Orvel_Card_Not_Initial, W_Orvel_DO_Channel(40, 5));
  EXPECT_EQ(Orvel_Card_Not_Initial, W_Orvel_Read_Back(0, &byte));
  EXPECT_EQ(7u, word);
  EXPECT_EQ(7, byte);
  EXPECT_NO_PORTS();
}

TEST_F(Orvel, WordsAndBytesReachTheirRegistersAndComeBackOverTheCable) {
  init();
  EXPECT_EQ(Orvel_No_Error, W_Orvel_DO_16(1, 0xABCD));
  EXPECT_EQ(Orvel_No_Error, W_Orvel_DO_16(0, 0x10F00));  // only the low 16 bits
  unsigned high = 0, low = 0;
  EXPECT_EQ(Orvel_No_Error, W_Orvel_DI_16(1, &high));
  EXPECT_EQ(Orvel_No_Error, W_Orvel_DI_16(0, &low));
  const iosim_access words[] = {{OUT16, kBase + 6, 0xABCD}, {OUT16, kBase + 4, 0x0F00},
                                {IN16, kBase + 2, 0xABCD}, {IN16, kBase + 0, 0x0F00}};
  EXPECT_PORTS(words);
  EXPECT_EQ(0xABCDu, high);
  EXPECT_EQ(0x0F00u, low);
  unsigned char back = 0;
  EXPECT_EQ(Orvel_No_Error, W_Orvel_Read_Back(3, &back));
  EXPECT_EQ(0xAB, back);
  EXPECT_EQ(Orvel_No_Error, W_Orvel_Read_Back(1, &back));
  EXPECT_EQ(0x0F, back);
  EXPECT_NO_PORTS();

  EXPECT_EQ(Orvel_No_Error, W_Orvel_DO_Channel(31, 0));
  EXPECT_EQ(Orvel_No_Error, W_Orvel_DO_8(0, 0x5A));
  int bit = -1;
  EXPECT_EQ(Orvel_No_Error, W_Orvel_DI_Channel(25, &bit));
  const iosim_access bytes[] = {{OUT8, kBase + 7, 0x2B}, {OUT8, kBase + 4, 0x5A},
                                {IN8, kBase + 3, 0x2B}};
  EXPECT_PORTS(bytes);
  EXPECT_EQ(1, bit);
  unsigned outputs = 0;
  EXPECT_EQ(IOSIM_OK, iosim_read_outputs(kBase, 0, &outputs));
  EXPECT_EQ(0x2BCD0F5Au, outputs);
}

TEST_F(Orvel, ArgumentErrorsTouchNothing) {
  init();
  unsigned word = 7;
  unsigned char byte = 7;
  EXPECT_EQ(Orvel_Invalid_Port16_Number, W_Orvel_DI_16(2, &word));
  EXPECT_EQ(Orvel_Invalid_Port16_Number, W_Orvel_DO_16(-1, 0));
  EXPECT_EQ(Orvel_Invalid_Port_Number, W_Orvel_DI_8(4, &byte));
  EXPECT_EQ(Orvel_Invalid_Port_Number, W_Orvel_Read_Back(-1, &byte));
  EXPECT_EQ(Orvel_Invalid_Channel_Number, W_Orvel_DO_Channel(32, 2));
  EXPECT_EQ(Orvel_Invalid_DO_Value, W_Orvel_DO_Channel(3, 2));
  EXPECT_EQ(Orvel_Invalid_Pointer, W_Orvel_DI_16(0, nullptr));
  EXPECT_EQ(7u, word);
  EXPECT_EQ(7, byte);
  EXPECT_NO_PORTS();
}

TEST_F(Orvel, WithoutTheCableInputsFloatHighAndDrivenLinesWin) {
  init();
  W_Orvel_DO_16(0, 0x1234);
  EXPECT_EQ(IOSIM_OK, iosim_set_loopback(kBase, 0));
  unsigned word = 0;
  W_Orvel_DI_16(0, &word);
  EXPECT_EQ(0xFFFFu, word);
  EXPECT_EQ(IOSIM_OK, iosim_drive_inputs(kBase, 0, 0x80000001u, 0));
  W_Orvel_DI_16(1, &word);
  EXPECT_EQ(0x7FFFu, word);
  EXPECT_EQ(IOSIM_BAD_BANK, iosim_drive_inputs(kBase, 1, 1, 1));
}

}  // namespace
