// fenmar over the hardware build of ioport, where no interrupt reaches a
// user-mode program: the transfer is armed but never progresses, and no
// query ever reports it done. Runs without port rights (no real port).
#include <gtest/gtest.h>

#include "fenmar.h"
#include "without_port_rights.h"

namespace {

int g_pattern[10];
int g_input[10];

int arm_and_query() {
  if (W_Fenmar_Initial(0, 0x2C0, 2) != No_Error) return 1;
  W_Fenmar_INT_Setup();
  W_Fenmar_INT_Buffer(2, 2, g_pattern, 10);
  W_Fenmar_INT_Buffer(0, 1, g_input, 10);
  if (W_Fenmar_INT_Start(10) != Interrupt_Unavailable) return 2;
  for (int i = 0; i < 3; ++i) {
    int status = -1, count = -1;
    if (W_Fenmar_INT_Status(&status, &count) != No_Error) return 3;
    if (status != 1 || count != 0) return 4;
  }
  int stopped = -1;
  if (W_Fenmar_INT_Stop(&stopped) != No_Error || stopped != 0) return 5;
  return 0;
}

TEST(FenmarOnHardware, TransferWaitsForEverWithoutInterrupts) {
  ChildResult r = run_without_port_rights(arm_and_query);
  EXPECT_EQ(0, r.exit_code) << r.said;
}

}  // namespace
