// wendal over the hardware build of ioport (no port rights, no real port):
// a card moved by less than its 12 ports is not refused for overlapping its
// own old claim.
#include <gtest/gtest.h>

#include "wendal.h"
#include "without_port_rights.h"

namespace {

int move_by_two() {
  if (W_Wendal_Initial(0, 0x300, 5) != No_Error) return 1;
  if (W_Wendal_Initial(0, 0x302, 5) != No_Error) return 2;
  if (W_Wendal_Initial(1, 0x300, 5) != Base_Address_In_Use) return 3;  // card 0 holds it
  if (W_Wendal_Initial(1, 0x30E, 5) != No_Error) return 4;
  return 0;
}

TEST(WendalOnHardware, ACardMovesByLessThanItsLength) {
  ChildResult r = run_without_port_rights(move_by_two);
  EXPECT_EQ(0, r.exit_code) << r.said;
}

}  // namespace
