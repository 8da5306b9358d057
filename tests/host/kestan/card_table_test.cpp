// Card table: registering, selecting and asking for cards, the load-time
// reset, and the slot check that every input/output and counter call makes
// before anything else.
#include "kestan_fixture.h"

namespace kestan_test {
namespace {

class CardTable : public KestanTest {
 protected:
  // The current card as W_Kestan_Get_Card reports it, or -1 with code 1.
  static int current_card() {
    int card = kIntSentinel;
    int code = W_Kestan_Get_Card(&card);
    if (code == Card_Not_Initial) {
      EXPECT_EQ(kIntSentinel, card) << "written although the slot is free";
      return -1;
    }
    EXPECT_EQ(No_Error, code);
    return card;
  }

  // The base address the current card reads its inputs from.
  static unsigned base_in_use() {
    unsigned char byte;
    iosim_journal_clear();
    EXPECT_EQ(No_Error, W_Kestan_DI_8(0, &byte));
    iosim_access got[2];
    int n = take_journal(got, 2);
    EXPECT_EQ(1, n);
    return n == 1 ? got[0].port : 0;
  }
};

TEST_F(CardTable, InitialRefusesCardNumbersOutsideZeroToSevenAndChangesNothing) {
  use_card(3, 0x300);
  static const int bad_cards[] = {8, -1, 9, 100, INT_MIN, INT_MAX};
  for (int card : bad_cards) {
    EXPECT_EQ(Invalid_Card_Number, W_Kestan_Initial(card, 0x308)) << card;
    // The card number is checked before the address.
    EXPECT_EQ(Invalid_Card_Number, W_Kestan_Initial(card, 0x204)) << card;
  }
  EXPECT_EQ(3, current_card());
  EXPECT_EQ(0x300u, base_in_use());
  // 0x308 was not taken by anyone.
  EXPECT_EQ(No_Error, W_Kestan_Initial(4, 0x308));
}

TEST_F(CardTable, InitialAcceptsExactlyTheSixtyFourAddressesFrom200HTo3F8HInStepsOf8) {
  int accepted = 0;
  for (int base = 0x100; base <= 0x500; ++base) {
    bool valid = base >= 0x200 && base <= 0x3F8 && base % 8 == 0;
    int code = W_Kestan_Initial(0, base);
    EXPECT_EQ(valid ? No_Error : Invalid_Base_Address, code) << std::hex << base;
    if (valid) {
      ++accepted;
      EXPECT_EQ(static_cast<unsigned>(base), base_in_use());
    }
  }
  EXPECT_EQ(64, accepted);
  // Far out of range, also where the low 16 bits would make a good address.
  static const int bad_bases[] = {0, -0x200, -8, 0x400, 0x1F8, 0x204, 0x3FF, 0x10200, 0x100003F8,
                                  INT_MIN, INT_MAX};
  for (int base : bad_bases)
    EXPECT_EQ(Invalid_Base_Address, W_Kestan_Initial(0, base)) << std::hex << base;
  EXPECT_NO_PORT_ACCESS();
}

TEST_F(CardTable, RejectedAddressFreesThatSlotButKeepsTheCurrentCard) {
  use_card(0, 0x300);
  use_card(1, 0x308);
  EXPECT_EQ(Invalid_Base_Address, W_Kestan_Initial(0, 0x204));
  EXPECT_EQ(1, current_card());
  EXPECT_EQ(Card_Not_Initial, W_Kestan_Set_Card(0));

  // The same for the current card: it stays current, on a free slot.
  EXPECT_EQ(Invalid_Base_Address, W_Kestan_Initial(1, 0x1F8));
  EXPECT_EQ(-1, current_card());
  unsigned char byte = kByteSentinel;
  EXPECT_EQ(Card_Not_Initial, W_Kestan_DI_8(0, &byte));
  EXPECT_EQ(kByteSentinel, byte);
  EXPECT_NO_PORT_ACCESS();
}

TEST_F(CardTable, AddressHeldByAnotherInitialisedCardIsRefusedAndNothingChanges) {
  use_card(1, 0x308);
  use_card(0, 0x300);
  EXPECT_EQ(Base_Address_In_Use, W_Kestan_Initial(1, 0x300));
  EXPECT_EQ(0, current_card());
  EXPECT_EQ(No_Error, W_Kestan_Set_Card(1));
  EXPECT_EQ(0x308u, base_in_use());

  // A free slot stays free.
  EXPECT_EQ(Base_Address_In_Use, W_Kestan_Initial(2, 0x300));
  EXPECT_EQ(Card_Not_Initial, W_Kestan_Set_Card(2));
  EXPECT_EQ(1, current_card());
}

TEST_F(CardTable, ACardMayRegisterItsOwnAddressAgainOrMove) {
  use_card(0, 0x300);
  EXPECT_EQ(No_Error, W_Kestan_Initial(0, 0x300));
  EXPECT_EQ(No_Error, W_Kestan_Initial(0, 0x3F8));
  EXPECT_EQ(0x3F8u, base_in_use());
  // Its old address is nobody's now.
  EXPECT_EQ(No_Error, W_Kestan_Initial(1, 0x300));
}

TEST_F(CardTable, AFreedSlotsOldAddressDoesNotBlock) {
  use_card(0, 0x300);
  EXPECT_EQ(Invalid_Base_Address, W_Kestan_Initial(0, 0x204));
  EXPECT_EQ(No_Error, W_Kestan_Initial(1, 0x300));
  EXPECT_EQ(1, current_card());
}

TEST_F(CardTable, SuccessfulInitialMakesTheCardCurrent) {
  use_card(5, 0x2A8);
  EXPECT_EQ(No_Error, W_Kestan_Initial(2, 0x310));
  EXPECT_EQ(2, current_card());
  EXPECT_EQ(0x310u, base_in_use());
}

TEST_F(CardTable, SetCardChecksTheNumberThenTheSlot) {
  use_card(6, 0x318);
  use_card(4, 0x320);
  static const int bad_cards[] = {8, -1, INT_MIN, INT_MAX};
  for (int card : bad_cards) EXPECT_EQ(Invalid_Card_Number, W_Kestan_Set_Card(card)) << card;
  EXPECT_EQ(Card_Not_Initial, W_Kestan_Set_Card(3));
  EXPECT_EQ(4, current_card());

  EXPECT_EQ(No_Error, W_Kestan_Set_Card(6));
  EXPECT_EQ(6, current_card());
  EXPECT_EQ(0x318u, base_in_use());
}

TEST_F(CardTable, SetCardMovesAwayFromAFreeCurrentSlot) {
  use_card(2, 0x300);
  use_card(3, 0x308);
  ASSERT_EQ(Invalid_Base_Address, W_Kestan_Initial(3, 0));
  EXPECT_EQ(-1, current_card());
  EXPECT_EQ(No_Error, W_Kestan_Set_Card(2));
  EXPECT_EQ(2, current_card());
}

TEST_F(CardTable, GetCardChecksTheSlotBeforeThePointer) {
  EXPECT_EQ(Card_Not_Initial, W_Kestan_Get_Card(nullptr));
  use_card(7, 0x3F0);
  EXPECT_EQ(Invalid_Pointer, W_Kestan_Get_Card(nullptr));
  int card = kIntSentinel;
  EXPECT_EQ(No_Error, W_Kestan_Get_Card(&card));
  EXPECT_EQ(7, card);
}

TEST_F(CardTable, NoCallOfTheTableTouchesAPort) {
  int card;
  W_Kestan_Initial(0, 0x2A8);
  W_Kestan_Initial(1, 0x2A8);
  W_Kestan_Initial(1, 0x2B0);
  W_Kestan_Initial(2, 0x205);
  W_Kestan_Initial(9, 0x300);
  W_Kestan_Set_Card(0);
  W_Kestan_Set_Card(2);
  W_Kestan_Set_Card(-3);
  W_Kestan_Get_Card(&card);
  W_Kestan_Get_Card(nullptr);
  EXPECT_NO_PORT_ACCESS();
}

TEST_F(CardTable, LoadResetFreesEverySlotAndKeepsTheShadows) {
  use_card(2, 0x300);
  ASSERT_EQ(No_Error, W_Kestan_DO_8(1, 0x5A));
  use_card(6, 0x308);
  kestan_reset_card_table();
  EXPECT_EQ(-1, current_card());
  for (int card = 0; card < 8; ++card) EXPECT_EQ(Card_Not_Initial, W_Kestan_Set_Card(card));
  // The freed slots' addresses do not block.
  use_card(0, 0x308);
  use_card(2, 0x300);
  EXPECT_EQ(0x5Au, shadow(1));
}

// With the current card's slot free, every input/output and counter call
// returns 1 whatever its arguments, writes nothing and touches no port.
struct FreeSlotCall {
  const char *name;
  int (*call)();
};

unsigned char g_byte;
int g_int;
unsigned g_word;

const FreeSlotCall kFreeSlotCalls[] = {
    {"DI_8 good", [] { return W_Kestan_DI_8(0, &g_byte); }},
    {"DI_8 port 7", [] { return W_Kestan_DI_8(7, &g_byte); }},
    {"DI_8 null", [] { return W_Kestan_DI_8(0, nullptr); }},
    {"DI_Channel good", [] { return W_Kestan_DI_Channel(5, &g_int); }},
    {"DI_Channel 32", [] { return W_Kestan_DI_Channel(32, &g_int); }},
    {"DI_Channel null", [] { return W_Kestan_DI_Channel(0, nullptr); }},
    {"DI_16 good", [] { return W_Kestan_DI_16(1, &g_word); }},
    {"DI_16 port 2", [] { return W_Kestan_DI_16(2, &g_word); }},
    {"DI_16 null", [] { return W_Kestan_DI_16(0, nullptr); }},
    {"DO_8 good", [] { return W_Kestan_DO_8(0, 0xFF); }},
    {"DO_8 port 4", [] { return W_Kestan_DO_8(4, 0xFF); }},
    {"DO_Channel good", [] { return W_Kestan_DO_Channel(3, 1); }},
    {"DO_Channel 32, 2", [] { return W_Kestan_DO_Channel(32, 2); }},
    {"DO_Channel value 2", [] { return W_Kestan_DO_Channel(3, 2); }},
    {"DO_16 good", [] { return W_Kestan_DO_16(1, 0xFFFF); }},
    {"DO_16 port -1", [] { return W_Kestan_DO_16(-1, 0xFFFF); }},
    {"Read_Back good", [] { return W_Kestan_Read_Back(2, &g_byte); }},
    {"Read_Back port -1", [] { return W_Kestan_Read_Back(-1, &g_byte); }},
    {"Read_Back null", [] { return W_Kestan_Read_Back(0, nullptr); }},
    {"Timer_Start good", [] { return W_Kestan_Timer_Start(0, 3, 1000); }},
    {"Timer_Start 3, 6", [] { return W_Kestan_Timer_Start(3, 6, 1000); }},
    {"Timer_Read good", [] { return W_Kestan_Timer_Read(1, &g_word); }},
    {"Timer_Read 3, null", [] { return W_Kestan_Timer_Read(3, nullptr); }},
    {"Timer_Stop good", [] { return W_Kestan_Timer_Stop(2, &g_word); }},
    {"Timer_Stop -1", [] { return W_Kestan_Timer_Stop(-1, &g_word); }},
};

TEST_F(CardTable, WithTheCurrentSlotFreeEveryOtherCallReturns1BeforeItsOwnChecks) {
  // Right after the reset, and again after the current card lost its slot.
  for (int round = 0; round < 2; ++round) {
    for (const FreeSlotCall &c : kFreeSlotCalls) {
      g_byte = kByteSentinel;
      g_int = kIntSentinel;
      g_word = kWordSentinel;
      EXPECT_EQ(Card_Not_Initial, c.call()) << c.name << ", round " << round;
      EXPECT_EQ(kByteSentinel, g_byte) << c.name;
      EXPECT_EQ(kIntSentinel, g_int) << c.name;
      EXPECT_EQ(kWordSentinel, g_word) << c.name;
      EXPECT_NO_PORT_ACCESS();
    }
    use_card(0, kRackBase);
    ASSERT_EQ(Invalid_Base_Address, W_Kestan_Initial(0, 0x2AC));
  }
}

}  // namespace
}  // namespace kestan_test
