// The fenmar, wendal and dulvar DLLs under Wine on the simulated PC, bound by
// ordinal as the programs bind them: port groups through the test cable and
// interrupt transfers (pulsed, and from the Wendal card's own clock, whose
// handler runs on the simulator's ticker thread).
#include <gtest/gtest.h>

#include <windows.h>

#include "dulvar.h"
#include "fenmar.h"
#include "ioport.h"
#include "iosim.h"
#include "wendal.h"

namespace {

int g_pattern[32768];
int g_input[32768];

void fill(int n) {
  for (int i = 0; i < n; ++i) {
    g_pattern[i] = i;
    g_input[i] = -1;
  }
}

struct PortCards : ::testing::Test {
  void SetUp() override {
    iosim_reset();
    fill(32768);
  }
};

TEST_F(PortCards, GroupsByOrdinalThroughTheTestCable) {
  ASSERT_EQ(No_Error, W_Fenmar_Initial(0, 0x300, 3));
  ASSERT_EQ(No_Error, W_Fenmar_Set_Card(0));
  EXPECT_EQ(No_Error, W_Fenmar_DO_Port(2, 0xA5));
  unsigned char v = 0;
  EXPECT_EQ(No_Error, W_Fenmar_DI_Port(0, &v));
  EXPECT_EQ(0xA5, v);

  ASSERT_EQ(No_Error, W_Wendal_Initial(0, 0x320, 3));
  EXPECT_EQ(No_Error, W_Wendal_DO_Port(259, 0x9));
  EXPECT_EQ(No_Error, W_Wendal_DI_Port(3, &v));
  EXPECT_EQ(0x9, v);
  unsigned count = 0x10000;
  EXPECT_EQ(No_Error, W_Wendal_Counter_Read(2, &count)) << "ordinal 14";
  EXPECT_GT(0x10000u, count);
  EXPECT_EQ(Invalid_Counter_Number, W_Wendal_Counter_Read(3, &count));

  ASSERT_EQ(No_Error, W_Dulvar_Initial(0, 0x340, 3));
  EXPECT_EQ(No_Error, W_Dulvar_DO_Port(1281, 0x3C));
  EXPECT_EQ(No_Error, W_Dulvar_DI_Port(1025, &v));
  EXPECT_EQ(0x3C, v);
  EXPECT_EQ(Invalid_Port_Code, W_Dulvar_DI_Port(1536, &v));
}

TEST_F(PortCards, DulvarTransferPulsedAsTheSampleDoes) {
  const int base = 0x2C0, n = 10;
  ASSERT_EQ(No_Error, W_Dulvar_Initial(0, base, 15));
  W_Dulvar_INT_Setup();
  W_Dulvar_INT_Buffer(0, 2, g_pattern, n);
  W_Dulvar_INT_Buffer(256, 1, g_input, n);
  io_out8(base + 3, 0x80);
  ASSERT_EQ(No_Error, W_Dulvar_INT_Start(n));
  int status = -1, count = -1;
  for (int i = 1; i <= n; ++i) {
    io_out8(base + 2, 0x08);
    io_out8(base + 2, 0x00);
    W_Dulvar_INT_Status(&status, &count);
    EXPECT_EQ(i, count);
  }
  EXPECT_EQ(0, status);
  W_Dulvar_INT_Stop(&count);
  for (int i = 0; i < n; ++i) EXPECT_EQ(i, g_input[i]);
}

TEST_F(PortCards, WendalClockFillsTheBufferInRealTime) {
  const int n = 4000;  // 0.24 s at 16,667 Hz
  ASSERT_EQ(No_Error, W_Wendal_Initial(0, 0x300, 5));
  W_Wendal_INT_Setup();
  W_Wendal_INT_Buffer(256, 2, g_pattern, n);
  W_Wendal_INT_Buffer(0, 1, g_input, n);
  ASSERT_EQ(No_Error, W_Wendal_INT_Start(n));
  const DWORD t0 = GetTickCount();
  ASSERT_EQ(No_Error, W_Wendal_Clock_Start(20, 6));
  int status = -1, count = 0;
  while (count < n && GetTickCount() - t0 < 10000) W_Wendal_INT_Status(&status, &count);
  const DWORD ms = GetTickCount() - t0;
  W_Wendal_Clock_Stop();
  W_Wendal_INT_Stop(&count);
  ASSERT_EQ(n, count);
  int wrong = 0;
  for (int i = 0; i < n; ++i) wrong += g_input[i] != (i & 0xFF);
  EXPECT_EQ(0, wrong);
  std::printf("4000 values at 16,667 Hz under Wine: %lu ms (ideal 240)\n", static_cast<unsigned long>(ms));
}

}  // namespace
