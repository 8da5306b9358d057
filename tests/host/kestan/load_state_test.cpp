// The state of the driver right after it is loaded into a process. This
// program holds this one case only, so that nothing has used the driver yet.
#include "kestan_fixture.h"

namespace kestan_test {
namespace {

TEST(KestanAtLoad, EverySlotIsFreeAndEveryShadowIsZero) {
  iosim_journal_clear();
  int card = kIntSentinel;
  unsigned char byte = kByteSentinel;
  unsigned word = kWordSentinel;
  EXPECT_EQ(Card_Not_Initial, W_Kestan_Get_Card(&card));
  EXPECT_EQ(Card_Not_Initial, W_Kestan_DI_8(0, &byte));
  EXPECT_EQ(Card_Not_Initial, W_Kestan_DI_Channel(0, &card));
  EXPECT_EQ(Card_Not_Initial, W_Kestan_DI_16(0, &word));
  EXPECT_EQ(Card_Not_Initial, W_Kestan_DO_8(0, 1));
  EXPECT_EQ(Card_Not_Initial, W_Kestan_DO_Channel(0, 1));
  EXPECT_EQ(Card_Not_Initial, W_Kestan_DO_16(0, 1));
  EXPECT_EQ(Card_Not_Initial, W_Kestan_Read_Back(0, &byte));
  EXPECT_EQ(Card_Not_Initial, W_Kestan_Timer_Start(0, 0, 1));
  EXPECT_EQ(Card_Not_Initial, W_Kestan_Timer_Read(0, &word));
  EXPECT_EQ(Card_Not_Initial, W_Kestan_Timer_Stop(0, &word));
  EXPECT_EQ(kIntSentinel, card);
  EXPECT_EQ(kByteSentinel, byte);
  EXPECT_EQ(kWordSentinel, word);
  for (int n = 0; n < 8; ++n) EXPECT_EQ(Card_Not_Initial, W_Kestan_Set_Card(n)) << n;

  // Whatever the card's outputs hold, the shadow starts at 0.
  io_out16(kRackBase, 0xFFFF);
  io_out16(kRackBase + 2, 0xFFFF);
  iosim_journal_clear();
  for (int n = 0; n < 8; ++n) {
    ASSERT_EQ(No_Error, W_Kestan_Initial(n, kRackBase + 8 * n));
    for (int port = 0; port < 4; ++port) {
      byte = kByteSentinel;
      EXPECT_EQ(No_Error, W_Kestan_Read_Back(port, &byte));
      EXPECT_EQ(0, byte) << "card " << n << " port " << port;
    }
  }
  EXPECT_NO_PORT_ACCESS();
}

}  // namespace
}  // namespace kestan_test
