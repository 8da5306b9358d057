// fenmar library on the simulated PC: card table, port groups, the port
// sequences of direction changes, and the interrupt transfer.
#include <gtest/gtest.h>

#include "fenmar.h"
#include "iosim.h"
#include "port_sequence.h"

namespace {


constexpr int kBase = 0x300;
constexpr int kBankA = 0, kBankB = 1, kBankC = 2;

unsigned outputs_of(int bank) {
  unsigned v = 0xDEAD;
  EXPECT_EQ(IOSIM_OK, iosim_read_outputs(kBase, bank, &v));
  return v;
}

struct Fenmar : ::testing::Test {
  void SetUp() override {
    for (int card = 0; card < 8; ++card) W_Fenmar_Initial(card, 0, 3);  // frees every slot
    iosim_clock_manual(0);
    iosim_reset();
    iosim_journal_clear();
  }
  void TearDown() override {
    for (int card = 0; card < 8; ++card) W_Fenmar_Initial(card, 0, 3);
  }
  void init() {
    ASSERT_EQ(No_Error, W_Fenmar_Initial(0, kBase, 3));
    iosim_journal_clear();
  }
};

TEST_F(Fenmar, InitialClaimsThePortsAndSetsThePowerUpDirections) {
  EXPECT_EQ(No_Error, W_Fenmar_Initial(0, kBase, 3));
  char kind[16] = "";
  EXPECT_EQ(kBase, iosim_card_at(kBase + 3, kind, sizeof kind));
  EXPECT_STREQ("fenmar", kind);
  EXPECT_EQ(-1, iosim_card_at(kBase + 4, kind, sizeof kind)) << "the card decodes 4 ports";
  const iosim_access power_up[] = {{OUT8, 0x303, 0x9B}};
  EXPECT_PORTS(power_up);
  EXPECT_EQ(No_Error, W_Fenmar_DO_Port(1, 0x42));
  iosim_journal_clear();
  EXPECT_EQ(No_Error, W_Fenmar_Initial(0, kBase, 5)) << "again at the same base";
  EXPECT_NO_PORTS();
  EXPECT_EQ(0x42u, outputs_of(kBankB)) << "keeps directions and outputs";
  int card = -1;
  EXPECT_EQ(No_Error, W_Fenmar_Get_Card(&card));
  EXPECT_EQ(0, card);
}

TEST_F(Fenmar, InitialChecksCardBaseLevelAndOverlapInOrder) {
  ASSERT_EQ(0, iosim_load_rack("kestan@2A8")) << "a PC with a Kestan card at 2A8H";
  EXPECT_EQ(Invalid_Card_Number, W_Fenmar_Initial(8, 0x400, 99));
  EXPECT_EQ(Invalid_Card_Number, W_Fenmar_Initial(-1, kBase, 3));
  EXPECT_EQ(Invalid_Base_Address, W_Fenmar_Initial(0, 0x1FC, 99));
  EXPECT_EQ(Invalid_Base_Address, W_Fenmar_Initial(0, 0x400, 3));
  EXPECT_EQ(Invalid_Base_Address, W_Fenmar_Initial(0, 0x302, 3));
  EXPECT_EQ(Invalid_IRQ_Level, W_Fenmar_Initial(0, kBase, 1));
  EXPECT_EQ(Invalid_IRQ_Level, W_Fenmar_Initial(0, kBase, 16));
  EXPECT_NO_PORTS();
  EXPECT_EQ(No_Error, W_Fenmar_Initial(0, 0x3FC, 2));
  EXPECT_EQ(No_Error, W_Fenmar_Initial(1, 0x200, 15));
  EXPECT_EQ(Base_Address_In_Use, W_Fenmar_Initial(2, 0x3FC, 3));
  EXPECT_EQ(Base_Address_In_Use, W_Fenmar_Initial(2, 0x2A8, 3)) << "the Kestan card";
  int card = -1;
  EXPECT_EQ(No_Error, W_Fenmar_Get_Card(&card));
  EXPECT_EQ(1, card) << "a failed initialise keeps the current card";
  EXPECT_EQ(Card_Not_Initial, W_Fenmar_Set_Card(2));
  // A card moved onto ports it cannot claim is not left driving its old base.
  EXPECT_EQ(Base_Address_In_Use, W_Fenmar_Initial(1, 0x2A8, 3));
  EXPECT_EQ(Card_Not_Initial, W_Fenmar_DO_Port(0, 1));
  EXPECT_EQ(No_Error, W_Fenmar_Initial(2, 0x200, 3)) << "its old ports were given back";
  EXPECT_EQ(Invalid_Card_Number, W_Fenmar_Set_Card(8));
  EXPECT_EQ(No_Error, W_Fenmar_Set_Card(0));
  // A rejected base frees the slot.
  EXPECT_EQ(Invalid_Base_Address, W_Fenmar_Initial(0, 0x3FE, 3));
  unsigned char v = 0xEE;
  EXPECT_EQ(Card_Not_Initial, W_Fenmar_DI_Port(0, &v));
  EXPECT_EQ(Card_Not_Initial, W_Fenmar_Get_Card(&card));
  EXPECT_EQ(0xEE, v);
  EXPECT_EQ(No_Error, W_Fenmar_Initial(2, 0x3FC, 3)) << "a freed slot's ports are free again";
}

TEST_F(Fenmar, FirstWriteMakesOutputsFirstReadMakesInputs) {
  init();
  EXPECT_EQ(No_Error, W_Fenmar_DO_Port(1, 0x5A));
  EXPECT_EQ(No_Error, W_Fenmar_DO_Port(1, 0x13C));  // low 8 bits
  EXPECT_EQ(No_Error, W_Fenmar_DO_Port(1, 0));
  unsigned char v = 0;
  EXPECT_EQ(No_Error, W_Fenmar_DI_Port(0, &v));
  EXPECT_EQ(0xFF, v) << "Port A joins Port C, an input: the lines float";
  const iosim_access seq[] = {
      {OUT8, 0x303, 0x99}, {OUT8, 0x301, 0x5A},  // B to output: mode word, value
      {OUT8, 0x301, 0x3C},                       // already output: the port only
      {OUT8, 0x301, 0x00},
      {IN8, 0x300, 0xFF},                        // A already input
  };
  EXPECT_PORTS(seq);
}

TEST_F(Fenmar, DirectionChangeWritesTheOtherOutputsBackRightAfterTheModeWord) {
  init();
  W_Fenmar_DO_Port(0, 0x5A);
  W_Fenmar_DO_Port(1, 0xC3);
  W_Fenmar_DO_Port(3, 0x6);
  const iosim_access to_outputs[] = {
      {OUT8, 0x303, 0x8B}, {OUT8, 0x300, 0x5A},
      {OUT8, 0x303, 0x89}, {OUT8, 0x300, 0x5A}, {OUT8, 0x301, 0xC3},
      {OUT8, 0x303, 0x81}, {OUT8, 0x300, 0x5A}, {OUT8, 0x301, 0xC3}, {OUT8, 0x302, 0x60},
  };
  EXPECT_PORTS(to_outputs);
  EXPECT_EQ(0x5Au, outputs_of(kBankA));
  EXPECT_EQ(0xC3u, outputs_of(kBankB));
  EXPECT_EQ(0x60u, outputs_of(kBankC));

  unsigned char v = 0;
  EXPECT_EQ(No_Error, W_Fenmar_DI_Port(0, &v));
  EXPECT_EQ(0x6F, v) << "C upper drives lines 4-7 of Port A; lines 0-3 float";
  const iosim_access a_to_input[] = {
      {OUT8, 0x303, 0x91}, {OUT8, 0x301, 0xC3}, {OUT8, 0x302, 0x60}, {IN8, 0x300, 0x6F},
  };
  EXPECT_PORTS(a_to_input);
  EXPECT_EQ(0xC3u, outputs_of(kBankB));
  EXPECT_EQ(0x60u, outputs_of(kBankC));
  EXPECT_EQ(0u, outputs_of(kBankA));

  // Back to output: Port A comes out with its new value in the write-back.
  EXPECT_EQ(No_Error, W_Fenmar_DO_Port(0, 0x01));
  const iosim_access a_to_output[] = {
      {OUT8, 0x303, 0x81}, {OUT8, 0x300, 0x01}, {OUT8, 0x301, 0xC3}, {OUT8, 0x302, 0x60},
  };
  EXPECT_PORTS(a_to_output);
  EXPECT_EQ(0xC3u, outputs_of(kBankB));
  EXPECT_EQ(0x60u, outputs_of(kBankC));
}

TEST_F(Fenmar, PortCHalvesAreMergedWithTheOtherHalf) {
  init();
  W_Fenmar_DO_Port(3, 0xA);
  W_Fenmar_DO_Port(4, 0x15);  // lower half: low 4 bits
  W_Fenmar_DO_Port(3, 0x3);
  W_Fenmar_DO_Port(4, 0x0);
  const iosim_access halves[] = {
      {OUT8, 0x303, 0x93}, {OUT8, 0x302, 0xA0},
      {OUT8, 0x303, 0x92}, {OUT8, 0x302, 0xA5},
      {OUT8, 0x302, 0x35},
      {OUT8, 0x302, 0x30},
  };
  EXPECT_PORTS(halves);
  unsigned char v = 0;
  EXPECT_EQ(No_Error, W_Fenmar_DI_Port(3, &v));
  EXPECT_EQ(0xF, v);
  const iosim_access upper_in[] = {{OUT8, 0x303, 0x9A}, {IN8, 0x302, 0xF0}};  // lower latch 0: no write-back
  EXPECT_PORTS(upper_in);
  W_Fenmar_DO_Port(2, 0x81);
  EXPECT_EQ(No_Error, W_Fenmar_DI_Port(2, &v));
  EXPECT_EQ(0xFF, v);
  const iosim_access whole[] = {{OUT8, 0x303, 0x92}, {OUT8, 0x302, 0x81}, {OUT8, 0x303, 0x9B}, {IN8, 0x302, 0xFF}};
  EXPECT_PORTS(whole);
}

TEST_F(Fenmar, BadPortCodesAndNullPointersTouchNothing) {
  unsigned char v = 0xEE;
  EXPECT_EQ(Card_Not_Initial, W_Fenmar_DI_Port(99, &v)) << "the card comes first";
  EXPECT_EQ(Card_Not_Initial, W_Fenmar_DO_Port(0, 1));
  init();
  for (int code : {5, -1, 256, 259, 0x7FFFFFFF}) {
    EXPECT_EQ(Invalid_Port_Code, W_Fenmar_DI_Port(code, &v)) << code;
    EXPECT_EQ(Invalid_Port_Code, W_Fenmar_DO_Port(code, 0)) << code;
  }
  EXPECT_EQ(Invalid_Pointer, W_Fenmar_DI_Port(0, nullptr));
  EXPECT_EQ(Invalid_Pointer, W_Fenmar_Get_Card(nullptr));
  EXPECT_EQ(0xEE, v);
  EXPECT_NO_PORTS();
}

}  // namespace
