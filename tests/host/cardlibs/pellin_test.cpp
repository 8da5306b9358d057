#include <gtest/gtest.h>

#include "iosim.h"
#include "pellin.h"
#include "port_sequence.h"

extern "C" void pellin_reset_card_table(void);

namespace {

constexpr int kBase = 0x3FE;

struct Pellin : ::testing::Test {
  void SetUp() override {
    pellin_reset_card_table();
    iosim_reset();
    iosim_journal_clear();
  }
  void init() {
    ASSERT_EQ(Pellin_No_Error, W_Pellin_Initial(0, kBase));
    iosim_journal_clear();
  }
};

TEST_F(Pellin, InitialPlugsACardInTwoPortsAtAnyEvenAddress) {
  ASSERT_EQ(0, iosim_load_rack("kestan@2A8")) << "a PC with a Kestan card at 2A8H";
  EXPECT_EQ(Pellin_Invalid_Base_Address, W_Pellin_Initial(0, 0x201));
  EXPECT_EQ(Pellin_Invalid_Base_Address, W_Pellin_Initial(0, 0x1FE));
  EXPECT_EQ(Pellin_Ports_In_Use, W_Pellin_Initial(0, 0x2AE));
  EXPECT_EQ(Pellin_No_Error, W_Pellin_Initial(0, kBase));
  EXPECT_EQ(Pellin_No_Error, W_Pellin_Initial(1, 0x200));
  char kind[16] = "";
  EXPECT_EQ(kBase, iosim_card_at(kBase + 1, kind, sizeof kind));
  EXPECT_STREQ("pellin", kind);
  EXPECT_EQ(0x200, iosim_card_at(0x201, kind, sizeof kind));
  EXPECT_EQ(-1, iosim_card_at(0x202, kind, sizeof kind));
  EXPECT_NO_PORTS();
}

TEST_F(Pellin, InputsAtOffsetZeroOutputsAtOffsetOneThroughTheShadow) {
  unsigned char byte = 7;
  EXPECT_EQ(Pellin_Card_Not_Initial, W_Pellin_DI(&byte));
  EXPECT_EQ(7, byte);
  init();
  EXPECT_EQ(Pellin_No_Error, W_Pellin_DO(0x1A5));
  EXPECT_EQ(Pellin_No_Error, W_Pellin_DI(&byte));
  EXPECT_EQ(Pellin_No_Error, W_Pellin_DO_Channel(7, 0));
  int bit = -1;
  EXPECT_EQ(Pellin_No_Error, W_Pellin_DI_Channel(5, &bit));
  const iosim_access ports[] = {{OUT8, kBase + 1, 0xA5}, {IN8, kBase, 0xA5},
                                {OUT8, kBase + 1, 0x25}, {IN8, kBase, 0x25}};
  EXPECT_PORTS(ports);
  EXPECT_EQ(0xA5, byte);
  EXPECT_EQ(1, bit);
  EXPECT_EQ(Pellin_No_Error, W_Pellin_Read_Back(&byte));
  EXPECT_EQ(0x25, byte);
  EXPECT_EQ(Pellin_Invalid_Channel_Number, W_Pellin_DI_Channel(8, &bit));
  EXPECT_EQ(Pellin_Invalid_DO_Value, W_Pellin_DO_Channel(1, 3));
  EXPECT_NO_PORTS();
  EXPECT_EQ(IOSIM_OK, iosim_drive_inputs(kBase, 0, 0x0F, 0x0A));
  W_Pellin_DI(&byte);
  EXPECT_EQ(0x2A, byte) << "driven lines 0-3, cable 4-7";
}

}  // namespace
