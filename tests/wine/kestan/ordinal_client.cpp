// A program bound to kestan.dll the way the panel programs are: through the
// kestan_ord import library, so its import table holds ordinals only and the
// loader resolves all thirteen before main runs. It drives the simulator's
// card at 2A8H (test cable in) through every entry point and exits 0 when
// each call did what its ordinal's function does.
#include <cstdio>

#include "kestan.h"

namespace {

int g_failures;

void expect(bool ok, const char *what) {
  if (!ok) {
    std::printf("ordinal client: %s\n", what);
    ++g_failures;
  }
}

}  // namespace

int main() {
  const int base = 0x2A8;
  int card = -1;
  unsigned char byte = 0;
  unsigned word = 0;
  int bit = -1;

  expect(W_Kestan_Get_Card(&card) == Card_Not_Initial, "Get_Card before any card (@3)");
  expect(W_Kestan_Initial(0, base) == No_Error, "Initial (@1)");
  expect(W_Kestan_Set_Card(1) == Card_Not_Initial, "Set_Card of a free slot (@2)");
  expect(W_Kestan_Get_Card(&card) == No_Error && card == 0, "Get_Card (@3)");
  expect(W_Kestan_DO_16(0, 0x1234) == No_Error, "DO_16 (@9)");
  expect(W_Kestan_DO_8(2, 0x81) == No_Error, "DO_8 (@7)");
  expect(W_Kestan_DO_Channel(30, 1) == No_Error, "DO_Channel (@8)");
  expect(W_Kestan_Read_Back(3, &byte) == No_Error && byte == 0x40, "Read_Back (@10)");
  // The test cable brings the outputs back to the inputs.
  expect(W_Kestan_DI_16(0, &word) == No_Error && word == 0x1234, "DI_16 (@6)");
  expect(W_Kestan_DI_8(2, &byte) == No_Error && byte == 0x81, "DI_8 (@4)");
  expect(W_Kestan_DI_Channel(30, &bit) == No_Error && bit == 1, "DI_Channel (@5)");
  expect(W_Kestan_Timer_Start(3, 0, 1) == Invalid_Counter_Number, "Timer_Start (@11)");
  expect(W_Kestan_Timer_Read(0, nullptr) == Invalid_Pointer, "Timer_Read (@12)");
  expect(W_Kestan_Timer_Stop(-1, &word) == Invalid_Counter_Number, "Timer_Stop (@13)");
  if (g_failures == 0) std::printf("ordinal client: all thirteen ordinals bound and answered\n");
  return g_failures == 0 ? 0 : 1;
}
